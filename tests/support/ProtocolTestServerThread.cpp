#include "ProtocolTestServerThread.h"

#include <QMetaObject>

ProtocolTestServerThread::ProtocolTestServerThread() {
    m_thread.setObjectName(QStringLiteral("ProtocolTestServer"));
    m_thread.start();
    // A carrier that lives on the new thread, so that the server is made (and listens) there.
    QObject carrier;
    carrier.moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        &carrier,
        [this] {
            m_server = new ProtocolTestServer;
            m_port = m_server->start() ? m_server->port() : 0;
        },
        Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(
        &carrier, [&carrier] { carrier.moveToThread(nullptr); }, Qt::BlockingQueuedConnection);
}

ProtocolTestServerThread::~ProtocolTestServerThread() {
    run([this](ProtocolTestServer& server) {
        delete &server;
        m_server = nullptr;
    });
    m_thread.quit();
    m_thread.wait();
}

QUrl ProtocolTestServerThread::baseUrl() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

void ProtocolTestServerThread::run(const std::function<void(ProtocolTestServer&)>& work) {
    if (!m_server)
        return;
    QMetaObject::invokeMethod(
        m_server, [this, &work] { work(*m_server); }, Qt::BlockingQueuedConnection);
}
