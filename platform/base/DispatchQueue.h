#pragma once

#include <QString>
#include <QThreadPool>
#include <functional>

// A named serial work queue: blocks run one at a time, in the order they were queued, on a thread
// of the queue's own. Results go back to the main thread with MainThread::post.
class DispatchQueue {
public:
    explicit DispatchQueue(const QString& label);
    ~DispatchQueue(); // waits for the queued blocks to finish
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    QString label() const { return m_label; }
    void async(std::function<void()> block);
    // Runs `block` on the queue and waits for it.
    void sync(const std::function<void()>& block);
    // Waits until every block queued so far has run.
    void waitUntilIdle();
    // True on this queue's own thread.
    bool isCurrent() const;

private:
    QString m_label;
    QThreadPool m_pool;
};
