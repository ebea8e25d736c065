// Ends with an uncaught exception after installing the main application's crash-log writer, so a
// test can look at the log it leaves in $XDG_CACHE_HOME/com.tovan.zerafin.macOS/Crash.
//   crash_thrower runtime|int|none|event
#include "CrashLogWriter.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <stdexcept>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromUtf8(argv[1]) : QString();
    CrashLogWriter::install(CrashLogWriter::crashFolder(QStringLiteral("com.tovan.zerafin.macOS")),
                            CrashLogWriter::versionLine(QStringLiteral("1.2.0"), QStringLiteral("16")));
    if (mode == QLatin1String("runtime"))
        throw std::runtime_error("boom");
    if (mode == QLatin1String("int"))
        throw 42;
    if (mode == QLatin1String("none"))
        std::terminate();
    if (mode == QLatin1String("event")) {
        // Thrown from inside the event loop, as a fault in a slot would be.
        QTimer::singleShot(0, [] { throw std::logic_error("from a slot"); });
        return app.exec();
    }
    std::fprintf(stderr, "usage: crash_thrower runtime|int|none|event\n");
    return 2;
}
