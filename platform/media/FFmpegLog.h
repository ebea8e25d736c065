#pragma once

// Routes FFmpeg's own log lines (the decoder libraries' complaints, demuxer warnings) into the
// logging category "zerafin.ffmpeg" instead of the terminal. Its errors and warnings are info
// messages there, and off unless asked for (QT_LOGGING_RULES="zerafin.ffmpeg.info=true"): what
// matters of them reaches the user through our own diagnostics; only fatal ones are warnings.
class FFmpegLog {
public:
    // Installs the route for the whole process. Call again after anything that installs its own
    // (each newly started mpv does when no other is running).
    static void install();
};
