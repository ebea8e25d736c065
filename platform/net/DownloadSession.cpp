#include "DownloadSession.h"

#include "DownloadRequest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <sys/statvfs.h>

DownloadSession::DownloadSession(const QString& partialDirectory, int transferTimeoutMs, QObject* parent)
    : QObject(parent), m_partialDirectory(QDir(partialDirectory).absolutePath()),
      m_transferTimeoutMs(transferTimeoutMs) {
    // Redirects are followed unless they go from https to http.
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

DownloadSession::~DownloadSession() {
    // Requests still running end silently with the session: nobody is left to hear them.
    const auto requests = findChildren<DownloadRequest*>(Qt::FindDirectChildrenOnly);
    for (DownloadRequest* request : requests)
        request->abandon();
}

QString DownloadSession::newPartialPath() const {
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QDir().mkpath(m_partialDirectory);
    for (;;) {
        QString name;
        for (int i = 0; i < 10; ++i)
            name += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof(alphabet) - 1))]);
        const QString path = m_partialDirectory + QLatin1Char('/') + name + QStringLiteral(".partial");
        if (!QFileInfo::exists(path))
            return path;
    }
}

bool DownloadSession::ownsPartial(const QString& path) const {
    const QFileInfo info(path);
    if (!info.fileName().endsWith(QLatin1String(".partial")) || info.isSymLink())
        return false;
    const QString folder = QDir(info.absolutePath()).canonicalPath();
    return !folder.isEmpty() && folder == QDir(m_partialDirectory).canonicalPath();
}

qint64 DownloadSession::freeSpace(const QString& path) const {
    if (m_freeSpace)
        return m_freeSpace(path);
    // The folder rather than the file: the partial body may not exist yet.
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

DownloadRequest* DownloadSession::download(const QUrl& url, Destination destination, qint64 expectedSize) {
    auto* request = new DownloadRequest(*this, url, newPartialPath(), std::move(destination), expectedSize);
    request->begin(std::nullopt);
    return request;
}

DownloadRequest* DownloadSession::download(const ResumeData& resume, Destination destination,
                                           qint64 expectedSize) {
    // A record naming a file that is not one of our partial bodies never gets that file touched.
    if (!ownsPartial(resume.partialPath)) {
        auto* request =
            new DownloadRequest(*this, resume.url, newPartialPath(), std::move(destination), expectedSize);
        request->begin(std::nullopt);
        return request;
    }
    auto* request =
        new DownloadRequest(*this, resume.url, resume.partialPath, std::move(destination), expectedSize);
    request->begin(resume);
    return request;
}
