#pragma once

#include <QImage>
#include <QString>
#include <optional>

struct AVFormatContext;

// Facts about one media file read with the FFmpeg libraries: its duration, its first real video
// stream (cover art in an audio file is not one) with its natural size, nominal frame rate and data
// rate, whether it has sound, and a picture of one moment, turned upright by the stream's display
// matrix. Only local files are opened. One object per file and thread.
class MediaProbe {
public:
    explicit MediaProbe(const QString& path);
    ~MediaProbe();
    MediaProbe(const MediaProbe&) = delete;
    MediaProbe& operator=(const MediaProbe&) = delete;

    // False when the file could not be opened as media; every fact below is then 0 / false.
    bool isOpen() const { return m_context != nullptr; }
    QString errorString() const { return m_error; }

    double duration() const { return m_duration; } // seconds
    bool hasVideoTrack() const { return m_videoStream >= 0; }
    int width() const { return m_width; } // as encoded, before the display matrix
    int height() const { return m_height; }
    double nominalFrameRate() const { return m_frameRate; }
    qint64 estimatedDataRate() const { return m_dataRate; } // bits per second
    bool hasAudioTrack() const { return m_hasAudio; }
    // Clockwise quarter turn in degrees (0, 90, 180, 270) that shows the picture upright.
    int rotation() const { return m_rotation; }

    // The first frame shown at or after `seconds` (the last one when the stream ends earlier),
    // upright; none, with `error` set, when there is no video stream or it cannot be decoded.
    std::optional<QImage> frameImage(double seconds, QString* error = nullptr);
    // frameImage() written to `pngPath` as PNG; false with `error` set when either step fails.
    bool writeThumbnail(double seconds, const QString& pngPath, QString* error = nullptr);

private:
    void readFacts();

    AVFormatContext* m_context = nullptr;
    QString m_error;
    double m_duration = 0;
    int m_videoStream = -1;
    int m_width = 0;
    int m_height = 0;
    double m_frameRate = 0;
    qint64 m_dataRate = 0;
    bool m_hasAudio = false;
    int m_rotation = 0;
};
