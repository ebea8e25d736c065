#include "ImageDiskCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_LOGGING_CATEGORY(lcImages)

ImageDiskCache::ImageDiskCache(QString directory, qint64 byteLimit)
    : m_directory(std::move(directory)), m_byteLimit(qMax<qint64>(0, byteLimit)) {}

QString ImageDiskCache::pathFor(const QUrl& url) const {
    const QByteArray key = QCryptographicHash::hash(url.toEncoded(), QCryptographicHash::Md5).toHex();
    return QDir(m_directory).filePath(QString::fromLatin1(key));
}

bool ImageDiskCache::store(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        qCDebug(lcImages) << "picture not kept on disk:" << path << file.errorString();
        return false;
    }
    QMutexLocker lock(&m_mutex);
    // A rewritten file is counted twice here; the count is made exact whenever it trims.
    if (m_total >= 0)
        m_total += data.size();
    if (m_total < 0 || m_total > m_byteLimit)
        trimLocked();
    return true;
}

void ImageDiskCache::trim() {
    QMutexLocker lock(&m_mutex);
    trimLocked();
}

qint64 ImageDiskCache::knownSize() const {
    QMutexLocker lock(&m_mutex);
    return m_total;
}

void ImageDiskCache::trimLocked() {
    QFileInfoList files =
        QDir(m_directory).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() < b.lastModified(); // oldest first
    });
    qint64 total = 0;
    for (const QFileInfo& info : files)
        total += info.size();
    if (total > m_byteLimit) {
        const qint64 target = m_byteLimit / 10 * 9;
        int dropped = 0;
        for (const QFileInfo& info : files) {
            if (total <= target)
                break;
            if (QFile::remove(info.absoluteFilePath())) {
                total -= info.size();
                ++dropped;
            }
        }
        qCInfo(lcImages) << "picture cache over" << m_byteLimit << "bytes:" << dropped
                         << "oldest files dropped";
    }
    m_total = total;
}

std::optional<QByteArray> ImageDiskCache::readRegularFile(const QString& path, qint64 byteLimit) {
    const QByteArray native = QFile::encodeName(path);
    // Checked before opening, so that a FIFO or a device is never opened at all; checked again on
    // what was opened, in case the name changed hands in between. O_NONBLOCK keeps that open from
    // waiting for a writer.
    struct stat named {};
    if (native.isEmpty() || ::stat(native.constData(), &named) != 0 || !S_ISREG(named.st_mode) ||
        named.st_size > byteLimit)
        return std::nullopt;
    const int descriptor = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return std::nullopt;
    struct stat opened {};
    if (::fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_size > byteLimit) {
        ::close(descriptor);
        return std::nullopt;
    }
    QByteArray data;
    data.reserve(qsizetype(opened.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(descriptor);
            return std::nullopt;
        }
        if (got == 0)
            break;
        // A file that grows while it is read still stops at the bound.
        if (data.size() + got > byteLimit) {
            ::close(descriptor);
            return std::nullopt;
        }
        data.append(chunk, got);
    }
    ::close(descriptor);
    return data;
}
