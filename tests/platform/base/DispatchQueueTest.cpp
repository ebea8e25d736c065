#include "DispatchQueue.h"
#include "MainThread.h"
#include "TestHome.h"

#include <QMutex>
#include <gtest/gtest.h>
#include <vector>

TEST(DispatchQueue, RunsBlocksOneAtATimeInOrderOffTheMainThread) {
    DispatchQueue queue("test.serial");
    QMutex mutex;
    std::vector<int> order;
    int running = 0;
    int maxRunning = 0;
    for (int i = 0; i < 50; ++i)
        queue.async([&, i] {
            {
                QMutexLocker lock(&mutex);
                maxRunning = std::max(maxRunning, ++running);
            }
            EXPECT_TRUE(queue.isCurrent());
            EXPECT_FALSE(MainThread::isCurrent());
            QMutexLocker lock(&mutex);
            order.push_back(i);
            --running;
        });
    queue.waitUntilIdle();
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[size_t(i)], i);
    EXPECT_EQ(maxRunning, 1);
    EXPECT_FALSE(queue.isCurrent());
}

TEST(DispatchQueue, ResultsComeBackToTheMainThread) {
    DispatchQueue queue("test.results");
    bool onMain = false;
    bool done = false;
    queue.async([&] {
        MainThread::post([&] {
            onMain = MainThread::isCurrent();
            done = true;
        });
    });
    EXPECT_TRUE(TestHome::waitUntil([&] { return done; }));
    EXPECT_TRUE(onMain);
}
