// Importing a large video, against the named baselines that do the same work with standard tools:
//   sign:   FileSign::fileSign against `head -c 10485760 FILE | md5sum`
//   import: LocalLibraryModel::importVideo (copy, sign, probe, thumbnail, record) against
//           `cp FILE DEST` followed by `ffmpeg -ss MID -i FILE -frames:v 1 THUMB.png`
// on one generated file of about 200 MB, in the same run. Medians of several rounds, alternating
// which side runs first.
#include "BenchReport.h"
#include "FileSign.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "MediaProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool shell(const QString& command) {
    QProcess process;
    process.start("/bin/sh", {"-c", command});
    return process.waitForFinished(600000) && process.exitCode() == 0;
}

QString quoted(const QString& path) {
    QString text = path;
    text.replace("'", "'\\''");
    return "'" + text + "'";
}

// About 200 MB of 1080p video that does not compress away.
QString makeLargeVideo(const QString& folder) {
    const QString path = QDir(folder).filePath("large video.mp4");
    const bool made =
        shell(QStringLiteral("ffmpeg -v error -nostdin -y -f lavfi -i "
                             "'testsrc2=size=1920x1080:rate=25:duration=10' -vf 'noise=alls=12:allf=t' "
                             "-c:v libx264 -preset ultrafast -b:v 162M -maxrate 162M -bufsize 40M "
                             "-pix_fmt yuv420p -threads 4 %1")
                  .arg(quoted(path)));
    return made ? path : QString();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QString video = makeLargeVideo(work.path());
    if (video.isEmpty()) {
        std::fprintf(stderr, "could not make the test video with ffmpeg\n");
        return 1;
    }
    shell("cat " + quoted(video) + " > /dev/null"); // both sides start from a warm page cache
    const double middle = std::floor(MediaProbe(video).duration() * 0.5);
    std::printf("file: %.1f MB, thumbnail at %.0f s\n", double(QFileInfo(video).size()) / 1e6, middle);

    constexpr int signRounds = 9;
    std::vector<double> ours, theirs;
    for (int round = 0; round < signRounds; ++round) {
        auto runOurs = [&] {
            const auto start = Clock::now();
            const auto sign = FileSign::fileSign(video);
            ours.push_back(millisSince(start));
            if (!sign)
                std::fprintf(stderr, "no sign\n");
        };
        auto runTheirs = [&] {
            const auto start = Clock::now();
            shell("head -c 10485760 " + quoted(video) + " | md5sum > /dev/null");
            theirs.push_back(millisSince(start));
        };
        if (round % 2) {
            runOurs();
            runTheirs();
        } else {
            runTheirs();
            runOurs();
        }
    }
    const double signOurs = median(ours), signTheirs = median(theirs);
    std::printf("sign: fileSign %.2f ms; head | md5sum %.2f ms\n", signOurs, signTheirs);

    constexpr int importRounds = 5;
    ours.clear();
    theirs.clear();
    bool imported = true;
    for (int round = 0; round < importRounds; ++round) {
        const QString roundFolder = QDir(work.path()).filePath(QString("round%1").arg(round));
        QDir().mkpath(roundFolder + "/ours/DownloadVideo");
        QDir().mkpath(roundFolder + "/theirs");
        auto runOurs = [&] {
            LocalVideoDBManager database(roundFolder + "/ours/Corvex.db");
            LocalLibraryModel model(database, {}, roundFolder + "/ours/DownloadVideo", roundFolder + "/ours");
            QSemaphore done;
            ImportVideoStatus result = ImportVideoStatus::failure;
            const auto start = Clock::now();
            model.importVideo(QUrl::fromLocalFile(video), false,
                              [&](const QString&, ImportVideoStatus status) {
                                  result = status;
                                  done.release();
                              });
            done.acquire();
            ours.push_back(millisSince(start));
            imported = imported && result == ImportVideoStatus::complete;
        };
        auto runTheirs = [&] {
            const auto start = Clock::now();
            shell(QString("cp %1 %2 && ffmpeg -v error -nostdin -y -ss %3 -i %1 -frames:v 1 %4")
                      .arg(quoted(video), quoted(roundFolder + "/theirs/copy.mp4"), QString::number(middle),
                           quoted(roundFolder + "/theirs/thumbnail.png")));
            theirs.push_back(millisSince(start));
        };
        if (round % 2) {
            runOurs();
            runTheirs();
        } else {
            runTheirs();
            runOurs();
        }
        QDir(roundFolder).removeRecursively();
    }
    const double importOurs = median(ours), importTheirs = median(theirs);
    std::printf("import: importVideo %.1f ms; cp + ffmpeg thumbnail %.1f ms%s\n", importOurs, importTheirs,
                imported ? "" : " (an import did not complete)");

    bool ok = benchLine("sign-vs-head-md5sum", signOurs / signTheirs, "x", "<=", 1.1);
    ok &= benchLine("import-vs-cp-ffmpeg", importOurs / importTheirs, "x", "<=", 1.3);
    return ok && imported ? 0 : 1;
}
