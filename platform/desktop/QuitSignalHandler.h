#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (how a session or a terminal ends a program) into a call on the main
// thread, so that the program quits through its ordinary Quit path. The signal handler itself
// only writes one byte into a pipe, which is all a signal handler may safely do.
class QuitSignalHandler : public QObject {
    Q_OBJECT
public:
    // Installs the handlers for the process; `onQuit` runs on the main thread, once, at the first
    // of these signals. Later signals are ignored while the program is quitting.
    static void install(std::function<void()> onQuit);

private:
    explicit QuitSignalHandler(std::function<void()> onQuit);
    void readSignal();
    std::function<void()> m_onQuit;
    QSocketNotifier* m_notifier = nullptr;
    bool m_fired = false;
};
