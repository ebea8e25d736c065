// The download engine against the named baseline "curl -o": a 500 MB file from the stand-alone
// protocol test server on loopback, one download and two at once, each in the same run as curl
// fetching the same file(s). Our time runs from add() until the list is empty, so it includes the
// sign check, the move into the library and the record. Also measured: how far the process's
// resident memory grows while the bodies stream to disk.
#include "BenchReport.h"
#include "DistributedNotificationCenter.h"
#include "DownloadManager.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <vector>

namespace {
constexpr qint64 fileSize = 500LL * 1024 * 1024;

qint64 residentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool writeBody(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(4 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(99);
    for (qint64 written = 0; written < fileSize; written += block.size()) {
        generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        if (file.write(block) != block.size())
            return false;
    }
    return true;
}

// Seconds for curl to fetch every url at once, each into its own file.
double curlSeconds(const QStringList& urls, const QString& folder) {
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < urls.size(); ++i) {
        auto run = std::make_unique<QProcess>();
        run->start("curl", {"-s", "-o", folder + QStringLiteral("/curl%1.bin").arg(i), urls.at(i)});
        runs.push_back(std::move(run));
    }
    for (auto& run : runs)
        run->waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    for (int i = 0; i < urls.size(); ++i)
        QFile::remove(folder + QStringLiteral("/curl%1.bin").arg(i));
    return seconds;
}

struct OurRun {
    double seconds = 0;
    qint64 peakGrowthKiB = 0;
    bool ok = false;
};

OurRun ourSeconds(const QStringList& urls, const QString& sign, const QString& folder) {
    QDir(folder + "/caches").removeRecursively();
    QDir(folder + "/library").removeRecursively();
    QFile::remove(folder + "/Corvex.db");
    LocalVideoDBManager database(folder + "/Corvex.db");
    DownloadManager::Dependencies dependencies;
    dependencies.cachesDirectory = folder + "/caches";
    dependencies.libraryDirectory = folder + "/library";
    dependencies.database = &database;
    dependencies.notificationCenter = &NotificationCenter::defaultCenter();
    dependencies.distributedCenter = &DistributedNotificationCenter::shared();
    DownloadManager manager(dependencies);
    const qint64 before = residentKiB();
    OurRun run;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < urls.size(); ++i) {
        VideoDetail video;
        video.id = i + 1;
        video.sign = sign;
        video.url = urls.at(i);
        manager.add(video);
    }
    while (!manager.progressArray().isEmpty()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        run.peakGrowthKiB = std::max(run.peakGrowthKiB, residentKiB() - before);
        bool failed = false;
        for (const auto& item : manager.progressArray())
            failed = failed || item->status() == ItemStatus::error;
        if (failed)
            return run;
    }
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.ok = QFileInfo(folder + "/library/" + sign + ".mp4").size() == fileSize;
    QDir(folder + "/library").removeRecursively();
    return run;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString body = dir.filePath("body.bin");
    if (!writeBody(body)) {
        std::printf("cannot write the test file\n");
        return 1;
    }
    QFile source(body);
    source.open(QIODevice::ReadOnly);
    const QByteArray head = source.read(10485760);
    const QString sign = QString::fromLatin1(QCryptographicHash::hash(head, QCryptographicHash::Md5).toHex());

    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QCoreApplication::applicationDirPath() + "/../tests/tools/zerafin_test_server",
                 {"--quiet", "--serve", "one.mp4=" + body, "--serve", "two.mp4=" + body});
    QString base;
    while (base.isEmpty() && server.waitForReadyRead(10000)) {
        const QString line = QString::fromLatin1(server.readLine()).trimmed();
        if (line.startsWith("listening "))
            base = line.mid(10);
    }
    if (base.isEmpty()) {
        std::printf("the test server did not start\n");
        return 1;
    }
    const QString one = base + "/files/one.mp4";
    const QString two = base + "/files/two.mp4";
    curlSeconds({one}, dir.path()); // warms the page cache and the server

    const int rounds = qEnvironmentVariableIntValue("DOWNLOAD_BENCH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("DOWNLOAD_BENCH_ROUNDS")
                           : 3;
    std::vector<double> curlOne, oursOne, curlTwo, oursTwo;
    qint64 peakKiB = 0;
    bool ok = true;
    for (int r = 0; r < rounds; ++r) {
        curlOne.push_back(curlSeconds({one}, dir.path()));
        const OurRun single = ourSeconds({one}, sign, dir.path());
        oursOne.push_back(single.seconds);
        curlTwo.push_back(curlSeconds({one, two}, dir.path()));
        const OurRun pair = ourSeconds({one, two}, sign, dir.path());
        oursTwo.push_back(pair.seconds);
        ok = ok && single.ok && pair.ok;
        peakKiB = std::max({peakKiB, single.peakGrowthKiB, pair.peakGrowthKiB});
    }
    server.terminate();
    server.waitForFinished();
    if (!ok) {
        std::printf("a download failed\n");
        return 1;
    }
    const double mb = fileSize / 1e6;
    std::printf("one file:  curl %.2f s (%.0f MB/s), ours %.2f s (%.0f MB/s)\n", median(curlOne),
                mb / median(curlOne), median(oursOne), mb / median(oursOne));
    std::printf("two files: curl %.2f s (%.0f MB/s), ours %.2f s (%.0f MB/s)\n", median(curlTwo),
                2 * mb / median(curlTwo), median(oursTwo), 2 * mb / median(oursTwo));
    bool pass = benchLine("download-one-vs-curl", median(curlOne) / median(oursOne), "x", ">=", 0.9);
    pass = benchLine("download-two-vs-curl", median(curlTwo) / median(oursTwo), "x", ">=", 0.9) && pass;
    pass = benchLine("download-memory-growth", peakKiB / 1024.0, "MB", "<=", 64) && pass;
    return pass ? 0 : 1;
}
