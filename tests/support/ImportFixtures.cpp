#include "ImportFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>

bool ImportFixtures::ffmpeg(const QStringList& arguments, const QString& output) {
    QProcess process;
    process.start("ffmpeg", QStringList{"-v", "error", "-nostdin", "-y"} + arguments + QStringList{output});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", process.readAllStandardError().constData());
        return false;
    }
    return QFile::exists(output);
}

QString ImportFixtures::hdClip(const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    const bool made = ffmpeg({"-f", "lavfi", "-i", "testsrc=size=1920x1080:rate=25:duration=2.5", "-f",
                              "lavfi", "-i", "sine=duration=2.5", "-c:v", "libx264", "-preset", "ultrafast",
                              "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"},
                             path);
    return made ? path : QString();
}

QString ImportFixtures::clip(const QString& path, int width, int height, double seconds, int seed) {
    const QString source = QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3,hue=h=%4")
                               .arg(width)
                               .arg(height)
                               .arg(seconds)
                               .arg(seed * 37 % 360);
    const bool made = ffmpeg(
        {"-f", "lavfi", "-i", source, "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"},
        path);
    return made ? path : QString();
}

QString ImportFixtures::squareClip(const QString& folder, const QString& name) {
    return clip(QDir(folder).filePath(name), 480, 480, 2.0);
}

QString ImportFixtures::audioOnly(const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    return ffmpeg({"-f", "lavfi", "-i", "sine=duration=2", "-c:a", "aac"}, path) ? path : QString();
}

QString ImportFixtures::audioWithCover(const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    const bool made = ffmpeg({"-f",
                              "lavfi",
                              "-i",
                              "sine=duration=2",
                              "-f",
                              "lavfi",
                              "-i",
                              "color=c=green:s=64x64:d=1",
                              "-map",
                              "0",
                              "-map",
                              "1",
                              "-frames:v",
                              "1",
                              "-c:a",
                              "libmp3lame",
                              "-c:v",
                              "png",
                              "-disposition:v:0",
                              "attached_pic"},
                             path);
    return made ? path : QString();
}

QString ImportFixtures::rotatedPhoneClip(const QString& folder, const QString& name) {
    const QString plain = QDir(folder).filePath("unrotated-" + name);
    const QString path = QDir(folder).filePath(name);
    // The rotation tag survives only a stream copy, so the clip is made in two steps.
    const bool made = ffmpeg({"-f", "lavfi", "-i",
                              "color=c=red:s=320x180:d=2:r=10,drawbox=x=0:y=90:w=320:h=90:color=blue:t=fill",
                              "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"},
                             plain) &&
                      ffmpeg({"-i", plain, "-c", "copy", "-metadata:s:v:0", "rotate=90"}, path);
    QFile::remove(plain);
    return made ? path : QString();
}

QImage ImportFixtures::referenceFrame(const QString& video, double seconds, const QString& scratchFolder) {
    const QString png = QDir(scratchFolder).filePath("reference.png");
    if (!ffmpeg({"-ss", QString::number(seconds), "-i", video, "-frames:v", "1"}, png))
        return {};
    QImage image(png);
    QFile::remove(png);
    return image;
}
