#include "Preferences.h"
#include "Disposable.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
bool otherProgramWrites(const QString& file, const QStringList& changes) {
    QProcess process;
    process.start(TestHome::toolPath("suite_writer"), QStringList{file} + changes);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

// Records every change signal of a Preferences object, in order, as "name=value".
struct Recorder {
    std::vector<QString> events;
    std::vector<Disposable> tokens;
    explicit Recorder(Preferences& p) {
        auto record = [this](const char* name) {
            return [this, name](auto value) { events.push_back(QString(name) + "=" + text(value)); };
        };
        tokens.push_back(observe(&p, &Preferences::monitorArrangeChanged, &p, record("monitorArrange")));
        tokens.push_back(observe(&p, &Preferences::screenIndexChanged, &p, record("screenIndex")));
        tokens.push_back(observe(&p, &Preferences::playModelChanged, &p, record("playModel")));
        tokens.push_back(observe(&p, &Preferences::playingVideoSignChanged, &p, record("sign")));
        tokens.push_back(observe(&p, &Preferences::volumeChanged, &p, record("volume")));
        tokens.push_back(observe(&p, &Preferences::muteChanged, &p, record("mute")));
        tokens.push_back(
            observe(&p, &Preferences::alreadyImportVideoChanged, &p, record("alreadyImportVideo")));
        tokens.push_back(observe(&p, &Preferences::isOpenPlayerChanged, &p, record("isOpenPlayer")));
        tokens.push_back(observe(&p, &Preferences::isPlayingChanged, &p, record("isPlaying")));
        tokens.push_back(observe(&p, &Preferences::autolaunchChanged, &p, record("autolaunch")));
    }
    static QString text(bool v) { return v ? "true" : "false"; }
    static QString text(qint64 v) { return QString::number(v); }
    static QString text(float v) { return QString::number(v); }
    static QString text(const std::optional<QString>& v) { return v ? "'" + *v + "'" : "nil"; }
};

struct Fixture {
    TestHome home;
    QString path = home.file("Preferences/K4TQ7ZR2MB.zerafin.ini");
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<Preferences> prefs;
    void start() {
        suite = std::make_unique<UserDefaults>(path);
        Preferences::registerDefaults(*suite);
        prefs = std::make_unique<Preferences>(*suite);
    }
    void restart() {
        prefs.reset();
        suite.reset();
        start();
    }
};
} // namespace

TEST(Preferences, FirstRunWritesTheFiveDefaultsAndKeepsStoredFalse) {
    Fixture f;
    f.start();
    QSettings file(f.path, QSettings::IniFormat);
    EXPECT_EQ(file.value("autolaunch").toString(), "true");
    EXPECT_EQ(file.value("Volume").toString(), "0.5");
    EXPECT_EQ(file.value("Mute").toString(), "false");
    EXPECT_EQ(file.value("IsOpenPlayer").toString(), "true");
    EXPECT_EQ(file.value("isPlaying").toString(), "true");
    EXPECT_FALSE(file.contains("CurrentVideoSign"));
    EXPECT_EQ(f.prefs->monitorArrange(), 0);
    EXPECT_EQ(f.prefs->playModel(), 0);
    EXPECT_FALSE(f.prefs->playingVideoSign().has_value());
    EXPECT_EQ(f.prefs->volume(), 0.5f);
    EXPECT_TRUE(f.prefs->isOpenPlayer());

    f.prefs->setIsOpenPlayer(false);
    f.prefs->setAutolaunch(false);
    f.suite->synchronize();
    f.restart();
    EXPECT_FALSE(f.prefs->isOpenPlayer());
    EXPECT_FALSE(f.prefs->autolaunch());
}

TEST(Preferences, SettersNotifyEveryAssignmentAndTokensEndObservation) {
    Fixture f;
    f.start();
    auto recorder = std::make_unique<Recorder>(*f.prefs);
    f.prefs->setMute(false);
    f.prefs->setMute(false);
    f.prefs->setPlayingVideoSign(std::nullopt);
    EXPECT_EQ(recorder->events, (std::vector<QString>{"mute=false", "mute=false", "sign=nil"}));
    recorder->tokens.clear();
    f.prefs->setMute(true);
    EXPECT_EQ(recorder->events.size(), 3u);
}

TEST(Preferences, BindCopiesNothingUntilTheSourceChanges) {
    Fixture f;
    f.start();
    Fixture g;
    g.start();
    g.prefs->setMute(true);
    std::optional<Disposable> link =
        bind(f.prefs.get(), &Preferences::muteChanged, g.prefs.get(), &Preferences::setMute);
    EXPECT_TRUE(g.prefs->mute());
    f.prefs->setMute(false);
    EXPECT_FALSE(g.prefs->mute());
    link.reset();
    f.prefs->setMute(true);
    EXPECT_FALSE(g.prefs->mute());
}

TEST(Preferences, TheOtherProgramsChangesArriveWithinASecondInOrder) {
    Fixture f;
    f.start();
    f.prefs->setIsOpenPlayer(false);
    f.prefs->setIsPlaying(false);
    f.suite->setString("kept", "OwnKey");
    f.suite->synchronize();
    f.prefs->startRefreshTimer();
    Recorder recorder(*f.prefs);

    ASSERT_TRUE(otherProgramWrites(
        f.path, {"string:CurrentVideoSign=abc", "int:MonitorArrange=7", "string:Theirs=x"}));
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return recorder.events.size() >= 4; }, std::chrono::milliseconds(3000)));
    TestHome::spin(std::chrono::milliseconds(50));
    EXPECT_EQ(recorder.events, (std::vector<QString>{"monitorArrange=7", "sign='abc'", "isOpenPlayer=true",
                                                     "isPlaying=true"}));
    // An out-of-range arrangement is copied unchanged.
    EXPECT_EQ(f.prefs->monitorArrange(), 7);

    // The other turns the player on again: isPlaying is assigned even though it is already true.
    recorder.events.clear();
    ASSERT_TRUE(otherProgramWrites(f.path, {"bool:IsOpenPlayer=false"}));
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return !recorder.events.empty(); }, std::chrono::milliseconds(3000)));
    EXPECT_EQ(recorder.events, (std::vector<QString>{"isOpenPlayer=false"}));
    EXPECT_TRUE(f.prefs->isPlaying());
    recorder.events.clear();
    ASSERT_TRUE(otherProgramWrites(f.path, {"bool:IsOpenPlayer=true"}));
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return recorder.events.size() >= 2; }, std::chrono::milliseconds(3000)));
    EXPECT_EQ(recorder.events, (std::vector<QString>{"isOpenPlayer=true", "isPlaying=true"}));

    // Removing the sign: it becomes the empty text, here and in the file.
    recorder.events.clear();
    ASSERT_TRUE(otherProgramWrites(f.path, {"remove:CurrentVideoSign"}));
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return !recorder.events.empty(); }, std::chrono::milliseconds(3000)));
    EXPECT_EQ(recorder.events, (std::vector<QString>{"sign=''"}));
    QSettings file(f.path, QSettings::IniFormat);
    EXPECT_EQ(file.value("CurrentVideoSign").toString(), QString(""));
    EXPECT_TRUE(file.contains("CurrentVideoSign"));
    // Keys of both programs survived each other's writes.
    EXPECT_EQ(file.value("OwnKey").toString(), "kept");
    EXPECT_EQ(file.value("Theirs").toString(), "x");

    // Nothing changed: a refresh assigns nothing.
    recorder.events.clear();
    TestHome::spin(std::chrono::milliseconds(1500));
    EXPECT_TRUE(recorder.events.empty());
}

TEST(Preferences, VolumeWrittenByTheOtherProgramSettlesAfterOneAssignment) {
    Fixture f;
    f.start();
    Recorder recorder(*f.prefs);
    ASSERT_TRUE(otherProgramWrites(f.path, {"float:Volume=0.3"}));
    f.prefs->updateUserDefaultFromDisk();
    f.prefs->updateUserDefaultFromDisk();
    f.prefs->updateUserDefaultFromDisk();
    EXPECT_EQ(recorder.events, (std::vector<QString>{"volume=0.3"}));
}

TEST(Preferences, AVolumeThatIsNoNumberSettlesToo) {
    Fixture f;
    f.start();
    Recorder recorder(*f.prefs);
    ASSERT_TRUE(otherProgramWrites(f.path, {"string:Volume=nan"}));
    f.prefs->updateUserDefaultFromDisk();
    f.prefs->updateUserDefaultFromDisk();
    f.prefs->updateUserDefaultFromDisk();
    EXPECT_EQ(recorder.events, (std::vector<QString>{"volume=0"}));
}

// A quiet refresh stops at the file's stat, yet no change is lost: one made through the suite
// object itself, nor one another program wrote while a refresh was assigning (a setter's write
// reads the newer file after the keys before it were compared).
TEST(Preferences, QuietRefreshesStillSeeEveryChange) {
    Fixture f;
    f.start();
    f.prefs->updateUserDefaultFromDisk();
    Recorder recorder(*f.prefs);
    f.prefs->updateUserDefaultFromDisk();
    EXPECT_TRUE(recorder.events.empty());

    f.suite->setInteger(2, "PlayModel");
    f.prefs->updateUserDefaultFromDisk();
    EXPECT_EQ(recorder.events, (std::vector<QString>{"playModel=2"}));

    recorder.events.clear();
    bool wroteMute = false;
    QObject::connect(f.prefs.get(), &Preferences::volumeChanged, f.prefs.get(), [&] {
        if (!wroteMute)
            wroteMute = otherProgramWrites(f.path, {"bool:Mute=true"});
    });
    ASSERT_TRUE(otherProgramWrites(f.path, {"float:Volume=0.25", "bool:isPlaying=false"}));
    f.prefs->updateUserDefaultFromDisk();
    ASSERT_TRUE(wroteMute);
    EXPECT_EQ(recorder.events, (std::vector<QString>{"volume=0.25", "isPlaying=false"}));
    f.prefs->updateUserDefaultFromDisk();
    EXPECT_EQ(recorder.events, (std::vector<QString>{"volume=0.25", "isPlaying=false", "mute=true"}));
    f.prefs->updateUserDefaultFromDisk();
    EXPECT_EQ(recorder.events.size(), 3u);
}

// Another program rewrites the suite in place (truncate, then write) as many editors do, slowly,
// while the once-a-second refresh keeps running: the refresh never takes the half-written file for
// settings that were removed, so it writes nothing back and every key stays as it was.
TEST(Preferences, ARewriteInPlaceWhileRefreshingLeavesEveryKeyAsItWas) {
    Fixture f;
    f.start();
    f.suite->setString("6F1B8E0C-2C3A-4F55-9D0B-7E3A1C2B4D5E", "uuid");
    f.prefs->setVolume(0.75f);
    f.prefs->setPlayingVideoSign(QString("0123456789abcdef0123456789abcdef"));
    f.prefs->setMonitorArrange(2);
    f.suite->synchronize();
    QFile original(f.path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();
    ASSERT_GT(bytes.count('\n'), 8);

    // The same bytes, in pieces that each end in the middle of a line.
    std::vector<QByteArray> pieces;
    qsizetype from = 0;
    for (qsizetype lineStart = 0; lineStart < bytes.size();) {
        const qsizetype end = bytes.indexOf('\n', lineStart);
        const qsizetype cut = lineStart + (end - lineStart) / 2 + 1;
        pieces.push_back(bytes.mid(from, cut - from));
        from = cut;
        lineStart = end + 1;
    }
    pieces.push_back(bytes.mid(from));

    std::atomic<bool> done{false};
    std::thread writer([&] {
        const QByteArray native = QFile::encodeName(f.path);
        const int fd = ::open(native.constData(), O_WRONLY | O_TRUNC);
        QThread::msleep(20);
        for (const QByteArray& piece : pieces) {
            if (::write(fd, piece.constData(), size_t(piece.size())) != piece.size())
                break;
            QThread::msleep(5);
        }
        ::close(fd);
        done = true;
    });
    Recorder recorder(*f.prefs);
    while (!done) {
        f.prefs->updateUserDefaultFromDisk();
        QThread::usleep(500);
    }
    writer.join();
    f.prefs->updateUserDefaultFromDisk();

    EXPECT_TRUE(recorder.events.empty()) << qPrintable(recorder.events.front());
    QFile after(f.path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
    EXPECT_TRUE(f.prefs->isPlaying());
    EXPECT_TRUE(f.prefs->autolaunch());
    EXPECT_EQ(f.prefs->volume(), 0.75f);
    EXPECT_EQ(UserDefaults(f.path).stringForKey("uuid"), QString("6F1B8E0C-2C3A-4F55-9D0B-7E3A1C2B4D5E"));
}
