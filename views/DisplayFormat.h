#pragma once

#include <QString>

// Human-readable sizes and durations for the lists and the detail pane. Pure; any thread.
// Figures come from server records and stored rows; one that cannot be true (negative, or past
// the bounds below) shows as the empty text rather than as a wrong number.
class DisplayFormat {
public:
    // 1 PiB: no video file comes near it.
    static constexpr qint64 maximumFileSize = qint64(1) << 50;
    // 10,000 hours.
    static constexpr qint64 maximumDurationSeconds = qint64(10000) * 3600;
    // Wider or taller than any codec encodes.
    static constexpr qint64 maximumDimension = 65536;

    // "1.50 KB", "1.00 MB", "1023 Byte": megabytes from 1048576 bytes, kilobytes from 1024,
    // bytes below. Always a point as decimal separator. Empty for a negative or absurd size.
    static QString formatFileSize(qint64 bytes);
    // "01:02:05": hours, minutes and seconds, each at least two digits. Empty for a negative or
    // absurd duration.
    static QString formatDuration(qint64 seconds);
    // "1920×1080(16:9)": the pixel size and the ratio text. Empty when either side is negative
    // or absurd.
    static QString formatDimensions(qint64 width, qint64 height, const QString& ratio);
};
