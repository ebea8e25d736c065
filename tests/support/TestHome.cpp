#include "TestHome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>

namespace {
QString& homePath() {
    static QString path;
    return path;
}
} // namespace

void TestHome::installProcessHome() {
    static QTemporaryDir* dir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/zerafin-test-XXXXXX"));
    const QString home = dir->path();
    homePath() = home;
    QDir().mkpath(home + "/.local/share");
    QDir().mkpath(home + "/.config");
    QDir().mkpath(home + "/.cache");
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
    qputenv("XDG_CACHE_HOME", (home + "/.cache").toUtf8());
}

QString TestHome::processHome() {
    return homePath();
}

TestHome::TestHome() : m_dir(QDir::tempPath() + QStringLiteral("/zerafin-scratch-XXXXXX")) {}

bool TestHome::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void TestHome::spin(std::chrono::milliseconds duration) {
    QDeadlineTimer deadline(duration);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

QString TestHome::toolPath(const QString& name) {
    return QStringLiteral(ZERAFIN_TEST_TOOLS_DIR "/") + name;
}
