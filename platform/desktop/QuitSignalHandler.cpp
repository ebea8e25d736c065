#include "QuitSignalHandler.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcQuit, "zerafin.desktop.quit")

int signalPipe[2] = {-1, -1};

void onSignal(int number) {
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}
} // namespace

QuitSignalHandler::QuitSignalHandler(std::function<void()> onQuit)
    : QObject(QCoreApplication::instance()), m_onQuit(std::move(onQuit)) {
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignalHandler::readSignal);
}

void QuitSignalHandler::install(std::function<void()> onQuit) {
    if (signalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        qCWarning(lcQuit).noquote() << "cannot watch for SIGTERM and SIGINT: no socket pair";
        return;
    }
    for (int fd : signalPipe)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    new QuitSignalHandler(std::move(onQuit));
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

void QuitSignalHandler::readSignal() {
    char bytes[16];
    bool received = false;
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0)
        received = true;
    if (!received || m_fired)
        return;
    m_fired = true;
    if (m_onQuit)
        m_onQuit();
}
