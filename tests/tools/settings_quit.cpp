// A program's end with settings changed but not yet synchronized, the way both programs hold their
// shared suite: made once and never destroyed. It changes "autolaunch" without synchronizing, ends
// its event loop as told, then changes "teardown" while it winds down, and returns.
//   settings_quit FILE quit|sigterm
#include "QuitSignalHandler.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: settings_quit FILE quit|sigterm\n");
        return 2;
    }
    auto* suite = new UserDefaults(args.at(1));
    suite->setBool(false, QStringLiteral("autolaunch"));
    QuitSignalHandler::install([] { QCoreApplication::quit(); });
    if (args.at(2) == QLatin1String("sigterm"))
        QTimer::singleShot(0, [] { ::kill(::getpid(), SIGTERM); });
    else
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    // Held back long enough for the timers above to end the loop, never longer.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(3); });
    const int status = app.exec();
    suite->setString(QStringLiteral("written"), QStringLiteral("teardown"));
    return status;
}
