#include "FileSign.h"

#include "Console.h"

#include <QFile>

#include <openssl/evp.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
} // namespace

std::optional<QString> FileSign::fileSign(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray nativePath = QFile::encodeName(path);

    struct stat info {};
    if (::stat(nativePath.constData(), &info) != 0) {
        // A file that is simply not there is an ordinary outcome for callers; say nothing.
        if (errno != ENOENT && errno != ENOTDIR)
            Console::line(QStringLiteral("fileSign: cannot read the attributes of %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode))
        return std::nullopt;

    // Non-blocking so that a path swapped for a pipe after the test above cannot hang the caller.
    FdCloser file{::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        return std::nullopt;
    struct stat opened {};
    if (::fstat(file.fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        return std::nullopt;
    ::posix_fadvise(file.fd, 0, sampledLength, POSIX_FADV_SEQUENTIAL);

    std::unique_ptr<EVP_MD_CTX, DigestContextDeleter> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1)
        return std::nullopt;

    // Read until 10 MiB or the end of the file: a read may return fewer bytes than asked, and
    // stopping early would give a wrong sign.
    constexpr qint64 chunk = 1 << 20;
    std::vector<unsigned char> buffer(chunk);
    qint64 remaining = sampledLength;
    while (remaining > 0) {
        const ssize_t count = ::read(file.fd, buffer.data(), size_t(std::min(remaining, chunk)));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            Console::line(QStringLiteral("fileSign: cannot read %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
            return std::nullopt;
        }
        if (count == 0)
            break;
        if (EVP_DigestUpdate(context.get(), buffer.data(), size_t(count)) != 1)
            return std::nullopt;
        remaining -= count;
    }

    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &digestLength) != 1)
        return std::nullopt;
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(digestLength)).toHex());
}
