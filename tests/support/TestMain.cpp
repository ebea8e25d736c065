#include "TestHome.h"

#include <QApplication>
#include <gtest/gtest.h>

// Every test program runs in a home of its own, made before anything reads a path, and with an
// application object so that timers, sockets and widgets work.
int main(int argc, char** argv) {
    TestHome::installProcessHome();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
