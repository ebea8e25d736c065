#include "Bundle.h"
#include "Preferences.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZerafinHelper"));
    QApplication::setQuitOnLastWindowClosed(false);
    Bundle::setIdentifier(QStringLiteral("com.tovan.zerafinHelper"));

    Preferences::shared();
    return app.exec();
}
