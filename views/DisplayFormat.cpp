#include "DisplayFormat.h"

#include <QCoreApplication>

namespace {
QString localized(const char* key, const char* comment) {
    return QCoreApplication::translate("Localizable", key, comment);
}
} // namespace

QString DisplayFormat::formatFileSize(qint64 bytes) {
    const double value = double(bytes);
    // QString::asprintf ignores the locale, so the separator is always a point.
    if (bytes >= 1048576) {
        return QString::asprintf(localized("%.2f MB", "Size in Megabyte").toUtf8().constData(),
                                 value * 0.0009765625 * 0.0009765625);
    }
    if (bytes >= 1024)
        return QString::asprintf(localized("%.2f KB", "Size in Kilobyte").toUtf8().constData(),
                                 value * 0.0009765625);
    return QString::asprintf(localized("%.0f Byte", "Size in byte").toUtf8().constData(), value);
}

QString DisplayFormat::formatDuration(qint64 seconds) {
    // Integer division truncates toward zero, as the format's fields expect.
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds / 60) % 60;
    const qint64 rest = seconds % 60;
    return QString::asprintf(localized("%02d:%02d:%02d", "Duration time").toUtf8().constData(), int(hours),
                             int(minutes), int(rest));
}
