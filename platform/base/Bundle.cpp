#include "Bundle.h"

#include "BuildInfo.h"

#include <QCoreApplication>
#include <QMutex>

namespace {
QMutex identifierMutex;
std::optional<QString> programIdentifier;

std::optional<QString> nonEmpty(const char* text) {
    const QString value = QString::fromUtf8(text);
    if (value.isEmpty())
        return std::nullopt;
    return value;
}
} // namespace

std::optional<QString> Bundle::identifier() {
    QMutexLocker lock(&identifierMutex);
    return programIdentifier;
}

void Bundle::setIdentifier(const QString& identifier) {
    QMutexLocker lock(&identifierMutex);
    programIdentifier = identifier;
}

std::optional<QString> Bundle::shortVersion() {
    return nonEmpty(BuildInfo::shortVersion);
}
std::optional<QString> Bundle::buildNumber() {
    return nonEmpty(BuildInfo::buildNumber);
}

QString Bundle::executableDirectory() {
    return QCoreApplication::applicationDirPath();
}
