#include "AppInfo.h"

#include "Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QUrl appending(const QUrl& base, const QString& component) {
    QUrl url = base;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    url.setPath(path + component);
    return url;
}
} // namespace

QString AppInfo::appGroupIdentifier() {
    return QStringLiteral("K4TQ7ZR2MB.zerafin");
}

QString AppInfo::fullVersion(const std::optional<QString>& shortVersion,
                             const std::optional<QString>& build) {
    if (!shortVersion || !build)
        return QStringLiteral("1.0.0.0");
    return *shortVersion + QLatin1Char('.') + *build;
}

QString AppInfo::displayVersion(const std::optional<QString>& shortVersion,
                                const std::optional<QString>& build) {
    if (!shortVersion || !build)
        return QStringLiteral("1.0.0");
    return *shortVersion + QLatin1Char('(') + *build + QLatin1Char(')');
}

QString AppInfo::fullVersion() {
    static const QString value = fullVersion(Bundle::shortVersion(), Bundle::buildNumber());
    return value;
}

QString AppInfo::displayVersion() {
    static const QString value = displayVersion(Bundle::shortVersion(), Bundle::buildNumber());
    return value;
}

QUrl AppInfo::webSiteURL() {
    static const QUrl url(QStringLiteral("https://www.zerafin.example"));
    return url;
}

QUrl AppInfo::forumURL() {
    static const QUrl url(QStringLiteral("https://forum.zerafin.example"));
    return url;
}

QUrl AppInfo::helpURL() {
    static const QUrl url = appending(webSiteURL(), QStringLiteral("67.html"));
    return url;
}

QUrl AppInfo::uploadURL() {
    static const QUrl url = appending(webSiteURL(), QStringLiteral("39.html"));
    return url;
}

QUrl AppInfo::groupURL() {
    static const QUrl url = appending(webSiteURL(), QStringLiteral("65.html"));
    return url;
}

QUrl AppInfo::termsURL() {
    static const QUrl url = appending(webSiteURL(), QStringLiteral("60.html"));
    return url;
}

std::optional<QString> AppInfo::groupContainer() {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return std::nullopt;
    const QString path = dataHome + QLatin1Char('/') + appGroupIdentifier();
    QFileInfo info(path);
    if (!info.exists()) {
        if (!QDir().mkpath(path))
            return std::nullopt;
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else if (!info.isDir()) {
        return std::nullopt;
    }
    return path;
}

QString AppInfo::directory(SearchPathDirectory directory, const std::optional<QString>& container,
                           const QString& userDomainDirectory,
                           const std::optional<QString>& bundleIdentifier) {
    QString path;
    if (container) {
        path = *container + QLatin1Char('/') +
               (directory == SearchPathDirectory::caches ? QStringLiteral("Caches")
                                                         : QStringLiteral("Application Support"));
    } else {
        path = userDomainDirectory + QLatin1Char('/') + bundleIdentifier.value_or(QStringLiteral("zerafin"));
    }
    if (!QFileInfo::exists(path))
        QDir().mkpath(path);
    return path;
}

QString AppInfo::directory(SearchPathDirectory which) {
    const auto location = which == SearchPathDirectory::caches ? QStandardPaths::GenericCacheLocation
                                                               : QStandardPaths::GenericDataLocation;
    return directory(which, groupContainer(), QStandardPaths::writableLocation(location),
                     Bundle::identifier());
}

QString AppInfo::applicationSupportDirectory() {
    static const QString path = directory(SearchPathDirectory::applicationSupport);
    return path;
}

QString AppInfo::cachesDirectory() {
    static const QString path = directory(SearchPathDirectory::caches);
    return path;
}
