#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// Media files made at test time with the ffmpeg program, for the probe and import tests.
class ImportFixtures {
public:
    // Runs ffmpeg with `arguments` (quiet, overwriting); true when it made `output`.
    static bool ffmpeg(const QStringList& arguments, const QString& output);

    // 1920 x 1080, 25 frames per second, 2.5 s, with a sine tone.
    static QString hdClip(const QString& folder, const QString& name = "hd.mp4");
    // 480 x 480, 2 s, silent.
    static QString squareClip(const QString& folder, const QString& name = "square.mp4");
    // A moving test picture of the given size and length; `seed` varies the picture so that two
    // clips have different signs.
    static QString clip(const QString& path, int width, int height, double seconds, int seed = 0);
    // 2 s of sound only.
    static QString audioOnly(const QString& folder, const QString& name = "tone.m4a");
    // 2 s of sound with a cover picture attached.
    static QString audioWithCover(const QString& folder, const QString& name = "song.mp3");
    // 320 x 180 as stored (red upper half, blue lower half), marked to be shown turned a quarter.
    static QString rotatedPhoneClip(const QString& folder, const QString& name = "phone.mp4");
    // What the ffmpeg program itself shows of `video` at `seconds` (it honours the rotation).
    static QImage referenceFrame(const QString& video, double seconds, const QString& scratchFolder);
};
