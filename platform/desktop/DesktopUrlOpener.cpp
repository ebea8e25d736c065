#include "DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcUrlOpener, "zerafin.desktop.url")

bool DesktopUrlOpener::openUrl(const QUrl& url) {
    if (!isWebAddress(url)) {
        qCWarning(lcUrlOpener) << "not opened, not an http(s) address:" << url.toString().left(200);
        return false;
    }
    return QDesktopServices::openUrl(url);
}
