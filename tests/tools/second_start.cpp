// A second start of the main application: asks the running copy (the owner of the bus name given
// as the first argument, "com.tovan.zerafin.macOS" by default) to show itself. Prints "forwarded",
// "first" or "no bus" and exits 0 when it forwarded.
#include "ApplicationInstance.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString name = argc > 1 ? QString::fromUtf8(argv[1]) : QStringLiteral("com.tovan.zerafin.macOS");
    ApplicationInstance instance;
    switch (instance.start(name)) {
    case ApplicationInstance::Start::forwarded:
        std::puts("forwarded");
        return 0;
    case ApplicationInstance::Start::first:
        std::puts("first");
        return 3;
    case ApplicationInstance::Start::noBus:
        std::puts("no bus");
        return 4;
    }
    return 5;
}
