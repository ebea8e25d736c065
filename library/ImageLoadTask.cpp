#include "ImageLoadTask.h"

#include <QNetworkReply>

void ImageLoadTask::cancel() {
    if (m_cancelled.exchange(true))
        return;
    if (m_reply)
        m_reply->abort();
}
