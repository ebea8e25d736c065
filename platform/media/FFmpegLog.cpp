#include "FFmpegLog.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <cstdarg>

extern "C" {
#include <libavutil/log.h>
}

namespace {
Q_LOGGING_CATEGORY(lcFFmpeg, "zerafin.ffmpeg", QtWarningMsg)

QtMsgType messageType(int level) {
    if (level <= AV_LOG_FATAL)
        return QtWarningMsg;
    if (level <= AV_LOG_WARNING)
        return QtInfoMsg;
    return QtDebugMsg;
}

void route(void* object, int level, const char* format, va_list arguments) {
    const QtMsgType type = messageType(level);
    if (!lcFFmpeg().isEnabled(type))
        return;
    // Each thread keeps its own prefix state, as FFmpeg's own callback does.
    thread_local int printPrefix = 1;
    char line[1024];
    av_log_format_line2(object, level, format, arguments, line, int(sizeof line), &printPrefix);
    QByteArray text(line);
    while (text.endsWith('\n'))
        text.chop(1);
    if (text.trimmed().isEmpty())
        return;
    switch (type) {
    case QtWarningMsg:
        qCWarning(lcFFmpeg).noquote() << text;
        break;
    case QtInfoMsg:
        qCInfo(lcFFmpeg).noquote() << text;
        break;
    default:
        qCDebug(lcFFmpeg).noquote() << text;
        break;
    }
}
} // namespace

void FFmpegLog::install() {
    av_log_set_callback(route);
}
