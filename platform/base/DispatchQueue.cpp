#include "DispatchQueue.h"

#include <QSemaphore>
#include <QThread>

namespace {
thread_local const DispatchQueue* runningQueue = nullptr;
}

DispatchQueue::DispatchQueue(const QString& label) : m_label(label) {
    // One thread, kept alive: a serial queue with a stable thread for isCurrent().
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
    m_pool.setObjectName(label);
}

DispatchQueue::~DispatchQueue() {
    m_pool.waitForDone();
}

void DispatchQueue::async(std::function<void()> block) {
    m_pool.start([this, block = std::move(block)] {
        QThread::currentThread()->setObjectName(m_label);
        runningQueue = this;
        block();
        runningQueue = nullptr;
    });
}

void DispatchQueue::sync(const std::function<void()>& block) {
    if (isCurrent()) {
        block();
        return;
    }
    QSemaphore done;
    async([&] {
        block();
        done.release();
    });
    done.acquire();
}

void DispatchQueue::waitUntilIdle() {
    sync([] {});
}

bool DispatchQueue::isCurrent() const {
    return runningQueue == this;
}
