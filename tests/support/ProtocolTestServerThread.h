#pragma once

#include "ProtocolTestServer.h"

#include <QThread>
#include <QUrl>
#include <functional>
#include <memory>

// The protocol test server on a thread of its own, for tests whose main thread blocks while a
// request is in flight (a semaphore, a synchronous queue). Fixtures, switches and the record are
// reached through run(), which executes on the server's thread and waits for it.
class ProtocolTestServerThread {
public:
    ProtocolTestServerThread();
    ~ProtocolTestServerThread();
    ProtocolTestServerThread(const ProtocolTestServerThread&) = delete;
    ProtocolTestServerThread& operator=(const ProtocolTestServerThread&) = delete;

    // Listening once constructed; false when no port could be had.
    bool isListening() const { return m_port != 0; }
    QUrl baseUrl() const;

    void run(const std::function<void(ProtocolTestServer&)>& work);

private:
    QThread m_thread;
    ProtocolTestServer* m_server = nullptr;
    quint16 m_port = 0;
};
