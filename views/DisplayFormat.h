#pragma once

#include <QString>

// Human-readable sizes and durations for the lists and the detail pane. Pure; any thread.
class DisplayFormat {
public:
    // "1.50 KB", "1.00 MB", "1023 Byte": megabytes from 1048576 bytes, kilobytes from 1024,
    // bytes below (negative counts too). Always a point as decimal separator.
    static QString formatFileSize(qint64 bytes);
    // "01:02:05": hours (not limited), minutes and seconds, each at least two digits.
    static QString formatDuration(qint64 seconds);
};
