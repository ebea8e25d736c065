#pragma once

#include <QString>
#include <QUrl>
#include <optional>

// Fixed facts about the installation, each computed once per process on first use.
class AppInfo {
public:
    enum class SearchPathDirectory { caches = 13, applicationSupport = 14 };

    static QString appGroupIdentifier(); // "K4TQ7ZR2MB.zerafin"

    static QString fullVersion();    // "1.2.0.16"; "1.0.0.0" when the build lacks either part
    static QString displayVersion(); // "1.2.0(16)"; "1.0.0" when the build lacks either part
    static QString fullVersion(const std::optional<QString>& shortVersion,
                               const std::optional<QString>& build);
    static QString displayVersion(const std::optional<QString>& shortVersion,
                                  const std::optional<QString>& build);

    static QUrl webSiteURL();
    static QUrl forumURL();
    static QUrl helpURL();   // web site + "/67.html"
    static QUrl uploadURL(); // web site + "/39.html"
    static QUrl groupURL();  // web site + "/65.html"
    static QUrl termsURL();  // web site + "/60.html"

    // Absolute folder paths inside the shared container, created when missing.
    static QString applicationSupportDirectory();
    static QString cachesDirectory();

    // The shared container, $XDG_DATA_HOME/K4TQ7ZR2MB.zerafin (mode 0700); none when it cannot be
    // made, and each program then keeps folders of its own.
    static std::optional<QString> groupContainer();
    // The folder for `directory` given a container (or none) and the user's own folder of that
    // kind; creates it when no file exists there (a failure is not reported).
    static QString directory(SearchPathDirectory directory);
    static QString directory(SearchPathDirectory directory, const std::optional<QString>& container,
                             const QString& userDomainDirectory,
                             const std::optional<QString>& bundleIdentifier);
};
