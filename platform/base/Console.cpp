#include "Console.h"

#include <QByteArray>
#include <cstdio>
#include <mutex>

namespace {
std::mutex& consoleMutex() {
    static std::mutex m;
    return m;
}
} // namespace

void Console::line(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::lock_guard lock(consoleMutex());
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Console::line(const char* text) {
    line(QString::fromUtf8(text));
}
