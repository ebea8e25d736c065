#include "CrashLogWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <csignal>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {
// Fixed at install time, read by the handler.
std::string installedFolder;
std::string installedVersionLine;

QString demangled(const char* mangled) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                std::free);
    return QString::fromUtf8(status == 0 && name ? name.get() : mangled);
}

QStringList callStack() {
    void* addresses[128];
    const int count = backtrace(addresses, 128);
    QStringList frames;
    char** symbols = backtrace_symbols(addresses, count);
    if (!symbols)
        return frames;
    for (int i = 0; i < count; ++i)
        frames << QString::fromUtf8(symbols[i]);
    std::free(symbols);
    return frames;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0)
            return false;
        done += n;
    }
    return true;
}

// Atomically: the whole text appears under its name, or nothing does.
bool writeAtomically(const QString& path, const QByteArray& text) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".part";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temporary.constData(), target.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}
} // namespace

QString CrashLogWriter::crashFolder(const QString& identifier) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1Char('/') +
           identifier + QStringLiteral("/Crash");
}

QString CrashLogWriter::versionLine(const std::optional<QString>& shortVersion,
                                    const std::optional<QString>& build) {
    return QStringLiteral("version: %1.%2")
        .arg(shortVersion.value_or(QStringLiteral("(null)")), build.value_or(QStringLiteral("(null)")));
}

QByteArray CrashLogWriter::report(const QString& name, const QString& userInfo, const QString& versionLine,
                                  const QString& reason, const QStringList& frames) {
    QString text = QStringLiteral("%1\n\n%2\n\n%3\n\n%4\n\n").arg(name, userInfo, versionLine, reason);
    text += frames.join(QLatin1Char('\n'));
    return text.toUtf8();
}

QString CrashLogWriter::fileName(double secondsSince1970) {
    return QString::asprintf("%.0f.txt", secondsSince1970);
}

void CrashLogWriter::install(const QString& folder, const QString& versionLine) {
    installedFolder = folder.toStdString();
    installedVersionLine = versionLine.toStdString();
    std::set_terminate(UncaughtExceptionHandler);
}

bool CrashLogWriter::writeCurrentException() {
    const std::exception_ptr exception = std::current_exception();
    if (!exception || installedFolder.empty())
        return false;
    const std::type_info* type = abi::__cxa_current_exception_type();
    const QString name = type ? demangled(type->name()) : QStringLiteral("(null)");
    QString reason = QStringLiteral("(null)");
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    } catch (...) {
        // Not a std::exception: it has no reason to tell, but the log is still written.
    }
    const QString folder = QString::fromStdString(installedFolder);
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    const QByteArray text = report(name, QStringLiteral("(null)"),
                                   QString::fromStdString(installedVersionLine), reason, callStack());
    const double now = double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    return writeAtomically(folder + QLatin1Char('/') + fileName(now), text);
}

void UncaughtExceptionHandler() {
    CrashLogWriter::writeCurrentException();
    // Whatever else is installed for SIGABRT must not write over this log.
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
}
