// The once-a-second refresh runs in both programs for the whole session. Measured here: a tick that
// finds nothing changed and a tick after another process changed one key, against the named
// baseline "stat": one stat() of the suite file, the least any change detection must do.
#include "BenchReport.h"
#include "Preferences.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <sys/stat.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double medianMicros(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

template <typename Fn> double timeEach(int rounds, int perRound, Fn fn) {
    std::vector<double> samples;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        for (int i = 0; i < perRound; ++i)
            fn();
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / perRound);
    }
    return medianMicros(samples);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("K4TQ7ZR2MB.zerafin.ini");
    const QString writer = QCoreApplication::applicationDirPath() + "/../tests/tools/suite_writer";

    // The file as another process leaves it.
    QProcess::execute(writer, {path, "bool:autolaunch=true", "float:Volume=0.5", "bool:Mute=false",
                               "bool:IsOpenPlayer=true", "bool:isPlaying=true",
                               "string:CurrentVideoSign=0123456789abcdef0123456789abcdef",
                               "int:MonitorArrange=1", "string:uuid=6F1B8E0C-2C3A-4F55-9D0B-7E3A1C2B4D5E"});
    UserDefaults suite(path);
    Preferences prefs(suite);
    prefs.updateUserDefaultFromDisk();

    const QByteArray native = QFile::encodeName(path);
    const double statMicros = timeEach(15, 2000, [&] {
        struct stat st;
        ::stat(native.constData(), &st);
    });
    const double idleMicros = timeEach(15, 2000, [&] { prefs.updateUserDefaultFromDisk(); });

    // One key changed by the other process before each tick (the write itself is not timed).
    std::vector<double> changed;
    for (int i = 0; i < 15; ++i) {
        QProcess::execute(writer, {path, QString("int:ScreenIndex=%1").arg(i % 2 ? 1 : 2)});
        const auto start = Clock::now();
        prefs.updateUserDefaultFromDisk();
        changed.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    const double changedMicros = medianMicros(changed);

    std::printf(
        "refresh tick, nothing changed: %.2f us; baseline stat(): %.2f us; one key changed: %.1f us\n",
        idleMicros, statMicros, changedMicros);
    bool ok = benchLine("preferences-refresh-idle", idleMicros, "us", "<", 50);
    benchLine("preferences-refresh-idle-vs-stat", idleMicros / std::max(statMicros, 0.001), "x", "<=", 100);
    ok &= benchLine("preferences-refresh-one-key-changed", changedMicros, "us", "<", 2000);
    return ok ? 0 : 1;
}
