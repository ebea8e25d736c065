#include "ApplicationInstance.h"
#include "TestHome.h"

#include <QProcess>
#include <gtest/gtest.h>

TEST(ApplicationInstance, ASecondStartAsksTheRunningCopyToReopenAndEndsWithStatusZero) {
    ApplicationInstance first;
    int reopens = 0;
    QObject::connect(&first, &ApplicationInstance::reopenRequested, [&] { ++reopens; });
    ASSERT_EQ(first.start("com.tovan.zerafin.macOS"), ApplicationInstance::Start::first);

    for (int round = 1; round <= 2; ++round) {
        QProcess second;
        second.start(TestHome::toolPath("second_start"), {"com.tovan.zerafin.macOS"});
        // This process must keep answering the bus while the second start waits for its reply.
        ASSERT_TRUE(TestHome::waitUntil([&] { return second.state() == QProcess::NotRunning; },
                                        std::chrono::seconds(20)));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(second.readAllStandardOutput().trimmed(), "forwarded");
        EXPECT_EQ(reopens, round);
    }
}

TEST(ApplicationInstance, TheFirstStartOfANameOwnsIt) {
    ApplicationInstance instance;
    ASSERT_EQ(instance.start("com.tovan.zerafin.test.alone"), ApplicationInstance::Start::first);
    // Calling it again from the same process is harmless: it still owns the name.
    EXPECT_EQ(instance.start("com.tovan.zerafin.test.alone"), ApplicationInstance::Start::first);
}
