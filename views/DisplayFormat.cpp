#include "DisplayFormat.h"

#include <QCoreApplication>

namespace {
QString localized(const char* key, const char* comment) {
    return QCoreApplication::translate("Localizable", key, comment);
}
} // namespace

QString DisplayFormat::formatFileSize(qint64 bytes) {
    if (bytes < 0 || bytes > maximumFileSize)
        return QString();
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
    if (seconds < 0 || seconds > maximumDurationSeconds)
        return QString();
    // Within the bound every field fits an int.
    const int hours = int(seconds / 3600);
    const int minutes = int((seconds / 60) % 60);
    const int rest = int(seconds % 60);
    return QString::asprintf(localized("%02d:%02d:%02d", "Duration time").toUtf8().constData(), hours,
                             minutes, rest);
}

QString DisplayFormat::formatDimensions(qint64 width, qint64 height, const QString& ratio) {
    if (width < 0 || height < 0 || width > maximumDimension || height > maximumDimension)
        return QString();
    return QStringLiteral("%1\u00D7%2(%3)").arg(width).arg(height).arg(ratio);
}
