#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QUrl>
#include <optional>

// The folder where the image loader keeps the bytes of fetched pictures, one file per address.
// It never grows past its bound: once a write takes it over, the oldest files (by modification
// time) go until it is back under nine tenths of the bound. Reads and writes may come from any
// thread.
class ImageDiskCache {
public:
    ImageDiskCache(QString directory, qint64 byteLimit);

    QString directory() const { return m_directory; }
    qint64 byteLimit() const { return m_byteLimit; }
    // Where the bytes of `url` are kept.
    QString pathFor(const QUrl& url) const;

    // Keeps `data` at `path` (one of pathFor's), then trims the folder when it is over its bound.
    bool store(const QString& path, const QByteArray& data);
    // Drops the oldest files while the folder is over its bound.
    void trim();
    // The bytes of all files in the folder as last counted (-1 before the first count).
    qint64 knownSize() const;

    // The bytes of a regular file of at most `byteLimit` bytes. Nothing for anything else (a
    // FIFO, a device, a folder, a missing or larger file); opening never waits for a writer.
    static std::optional<QByteArray> readRegularFile(const QString& path, qint64 byteLimit);

private:
    void trimLocked(); // counts the folder afresh

    const QString m_directory;
    const qint64 m_byteLimit;
    mutable QMutex m_mutex;
    qint64 m_total = -1;
};
