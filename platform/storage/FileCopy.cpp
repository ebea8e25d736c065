#include "FileCopy.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
QString describe(const QString& what, int code) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(code)));
}

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Plain reads and writes, for file systems where the kernel cannot copy between the two files.
bool copyByReading(int from, int to, QString* failure) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t count = ::read(from, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            *failure = describe(QStringLiteral("read"), errno);
            return false;
        }
        if (count == 0)
            return true;
        for (ssize_t done = 0; done < count;) {
            const ssize_t written = ::write(to, buffer.data() + done, size_t(count - done));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                *failure = describe(QStringLiteral("write"), errno);
                return false;
            }
            done += written;
        }
    }
}
} // namespace

bool FileCopy::createExclusive(const QString& path, QString* error, bool* exists) {
    if (exists)
        *exists = false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (exists)
            *exists = errno == EEXIST;
        if (error)
            *error = describe(path, errno);
        return false;
    }
    ::close(fd);
    return true;
}

bool FileCopy::copy(const QString& source, const QString& destination, QString* error) {
    QString failure;
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    Descriptor from{::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (from.fd < 0)
        return fail(describe(source, errno));
    struct stat info {};
    if (::fstat(from.fd, &info) != 0)
        return fail(describe(source, errno));
    if (!S_ISREG(info.st_mode))
        return fail(QStringLiteral("%1: not a regular file").arg(source));
    ::posix_fadvise(from.fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    Descriptor to{
        ::open(QFile::encodeName(destination).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW)};
    if (to.fd < 0)
        return fail(describe(destination, errno));

    bool copied = false;
    bool kernelCopy = true;
    while (kernelCopy) {
        const ssize_t count = ::copy_file_range(from.fd, nullptr, to.fd, nullptr, size_t(1) << 30, 0);
        if (count > 0)
            continue;
        if (count == 0) {
            copied = true;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF) {
            kernelCopy = false; // go on from the current offsets with plain reads
            break;
        }
        return fail(describe(QStringLiteral("copy to %1").arg(destination), errno));
    }
    if (!copied && !copyByReading(from.fd, to.fd, &failure))
        return fail(QStringLiteral("%1 (%2)").arg(failure, destination));
    const int fd = to.fd;
    to.fd = -1;
    if (::close(fd) != 0)
        return fail(describe(destination, errno));
    return true;
}

bool FileCopy::renameWithoutReplacing(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(source.constData(), target.constData()) != 0)
        return false;
    ::unlink(source.constData());
    return true;
}
