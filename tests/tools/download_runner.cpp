// A download engine in a process of its own, so that tests can stop it the way a session ends a
// program (SIGTERM: the quit path cancels every transfer and writes the store) or kill it outright,
// and start it again over the same folders:
//   download_runner <caches> <library> <database> [<url> <sign>]
// With a url and a sign it adds that video first. It prints "finished" and exits 0 once the list is
// empty, and exits 3 when a download ends in error.
#include "Console.h"
#include "DistributedNotificationCenter.h"
#include "DownloadManager.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2];
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 6) {
        Console::line("usage: download_runner <caches> <library> <database> [<url> <sign>]");
        return 2;
    }
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::exit(1); });

    LocalVideoDBManager database(args.at(3));
    DownloadManager::Dependencies dependencies;
    dependencies.cachesDirectory = args.at(1);
    dependencies.libraryDirectory = args.at(2);
    dependencies.database = &database;
    dependencies.notificationCenter = &NotificationCenter::defaultCenter();
    dependencies.distributedCenter = &DistributedNotificationCenter::shared();
    DownloadManager manager(dependencies);
    if (args.size() == 6) {
        VideoDetail video;
        video.id = 1;
        video.url = args.at(4);
        video.sign = args.at(5);
        manager.add(video);
    }
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (manager.progressArray().isEmpty()) {
            Console::line("finished");
            QCoreApplication::exit(0);
            return;
        }
        for (const auto& item : manager.progressArray()) {
            if (item->status() == ItemStatus::error)
                QCoreApplication::exit(3);
        }
    });
    poll.start(20);
    const int code = app.exec();
    if (code == 1) {
        manager.cancelAll(); // what the application does when it quits
        Console::line("stopped");
    }
    return code;
}
