#pragma once

#include <QPointer>
#include <QUrl>
#include <atomic>

class QNetworkReply;

// One picture being fetched by the image loader. Cancelling it (main thread) stops the transfer
// when one is running and guarantees that its completion never runs.
class ImageLoadTask {
public:
    explicit ImageLoadTask(const QUrl& url) : m_url(url) {}

    QUrl url() const { return m_url; }
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }

private:
    friend class ImageLoader;

    QUrl m_url;
    std::atomic<bool> m_cancelled{false};
    QPointer<QNetworkReply> m_reply;
};
