#include "Preferences.h"

#include "AppInfo.h"
#include "MainThread.h"
#include "UserDefaults.h"

#include <QStandardPaths>
#include <mutex>

namespace {
const QString kMonitorArrange = QStringLiteral("MonitorArrange");
const QString kScreenIndex = QStringLiteral("ScreenIndex");
const QString kPlayModel = QStringLiteral("PlayModel");
const QString kCurrentVideoSign = QStringLiteral("CurrentVideoSign");
const QString kVolume = QStringLiteral("Volume");
const QString kMute = QStringLiteral("Mute");
const QString kAlreadyImportVideo = QStringLiteral("alreadyImportVideo");
const QString kIsOpenPlayer = QStringLiteral("IsOpenPlayer");
const QString kIsPlaying = QStringLiteral("isPlaying");
const QString kAutolaunch = QStringLiteral("autolaunch");
} // namespace

Preferences::Preferences(UserDefaults& suite, QObject* parent) : QObject(parent), m_suite(suite) {
    m_monitorArrange = suite.integerForKey(kMonitorArrange);
    m_screenIndex = suite.integerForKey(kScreenIndex);
    m_playModel = suite.integerForKey(kPlayModel);
    m_playingVideoSign = suite.stringForKey(kCurrentVideoSign);
    m_volume = suite.floatForKey(kVolume);
    m_mute = suite.boolForKey(kMute);
    m_alreadyImportVideo = suite.boolForKey(kAlreadyImportVideo);
    m_isOpenPlayer = suite.boolForKey(kIsOpenPlayer);
    m_isPlaying = suite.boolForKey(kIsPlaying);
    m_autolaunch = suite.boolForKey(kAutolaunch);
}

QString Preferences::sharedDefaultsPath() {
    const QString file = AppInfo::appGroupIdentifier() + QStringLiteral(".ini");
    if (auto container = AppInfo::groupContainer())
        return *container + QStringLiteral("/Preferences/") + file;
    // No container: the program's own configuration folder still keeps the settings.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + file;
}

void Preferences::registerDefaults(UserDefaults& suite) {
    if (!suite.hasObject(kAutolaunch))
        suite.setBool(true, kAutolaunch);
    if (!suite.hasObject(kVolume))
        suite.setDouble(0.5, kVolume);
    if (!suite.hasObject(kMute))
        suite.setBool(false, kMute);
    if (!suite.hasObject(kIsOpenPlayer))
        suite.setBool(true, kIsOpenPlayer);
    if (!suite.hasObject(kIsPlaying))
        suite.setBool(true, kIsPlaying);
    suite.synchronize();
}

UserDefaults& Preferences::sharedDefaults() {
    static UserDefaults* suite = [] {
        auto* made = new UserDefaults(sharedDefaultsPath());
        registerDefaults(*made);
        return made;
    }();
    return *suite;
}

Preferences& Preferences::shared() {
    static Preferences* instance = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        // The refresh timer belongs to the main thread's event loop, whoever asks first.
        MainThread::runAndWait([] {
            instance = new Preferences(sharedDefaults());
            instance->startRefreshTimer();
        });
    });
    return *instance;
}

void Preferences::startRefreshTimer() {
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &Preferences::updateUserDefaultFromDisk, Qt::UniqueConnection);
    m_timer.start();
}

void Preferences::setMonitorArrange(qint64 value) {
    m_monitorArrange = value;
    m_suite.setInteger(value, kMonitorArrange);
    m_suite.synchronize();
    emit monitorArrangeChanged(value);
}

void Preferences::setScreenIndex(qint64 value) {
    m_screenIndex = value;
    m_suite.setInteger(value, kScreenIndex);
    m_suite.synchronize();
    emit screenIndexChanged(value);
}

void Preferences::setPlayModel(qint64 value) {
    m_playModel = value;
    m_suite.setInteger(value, kPlayModel);
    m_suite.synchronize();
    emit playModelChanged(value);
}

void Preferences::setPlayingVideoSign(const std::optional<QString>& value) {
    m_playingVideoSign = value;
    if (value)
        m_suite.setString(*value, kCurrentVideoSign);
    else
        m_suite.removeObject(kCurrentVideoSign);
    m_suite.synchronize();
    emit playingVideoSignChanged(m_playingVideoSign);
}

void Preferences::setVolume(float value) {
    m_volume = value;
    m_suite.setFloat(value, kVolume);
    m_suite.synchronize();
    emit volumeChanged(value);
}

void Preferences::setMute(bool value) {
    m_mute = value;
    m_suite.setBool(value, kMute);
    m_suite.synchronize();
    emit muteChanged(value);
}

void Preferences::setAlreadyImportVideo(bool value) {
    m_alreadyImportVideo = value;
    m_suite.setBool(value, kAlreadyImportVideo);
    emit alreadyImportVideoChanged(value);
}

void Preferences::setIsOpenPlayer(bool value) {
    m_isOpenPlayer = value;
    m_suite.setBool(value, kIsOpenPlayer);
    m_suite.synchronize();
    emit isOpenPlayerChanged(value);
}

void Preferences::setIsPlaying(bool value) {
    m_isPlaying = value;
    m_suite.setBool(value, kIsPlaying);
    m_suite.synchronize();
    emit isPlayingChanged(value);
}

void Preferences::setAutolaunch(bool value) {
    m_autolaunch = value;
    m_suite.setBool(value, kAutolaunch);
    emit autolaunchChanged(value);
}

void Preferences::updateUserDefaultFromDisk() {
    UserDefaults& suite = m_suite;
    suite.reload();
    // Every setter here writes through to the suite, so while the suite's values stand still this
    // object still holds them all: an idle tick ends at the file's stat. A round that assigned
    // anything is followed by one more, since a setter's write may have read newer keys from disk.
    const quint64 generation = suite.generation();
    if (generation == m_comparedGeneration)
        return;

    if (monitorArrange() != suite.integerForKey(kMonitorArrange))
        setMonitorArrange(suite.integerForKey(kMonitorArrange));
    if (screenIndex() != suite.integerForKey(kScreenIndex))
        setScreenIndex(suite.integerForKey(kScreenIndex));
    if (playModel() != suite.integerForKey(kPlayModel))
        setPlayModel(suite.integerForKey(kPlayModel));
    if (playingVideoSign() != suite.stringForKey(kCurrentVideoSign)) {
        // A sign removed by the other program becomes the empty text, never no value.
        setPlayingVideoSign(suite.stringForKey(kCurrentVideoSign).value_or(QString()));
        if (!isOpenPlayer())
            setIsOpenPlayer(true);
        if (!isPlaying())
            setIsPlaying(true);
    }
    if (volume() != suite.floatForKey(kVolume))
        setVolume(suite.floatForKey(kVolume));
    if (mute() != suite.boolForKey(kMute))
        setMute(suite.boolForKey(kMute));
    if (alreadyImportVideo() != suite.boolForKey(kAlreadyImportVideo))
        setAlreadyImportVideo(suite.boolForKey(kAlreadyImportVideo));
    if (isOpenPlayer() != suite.boolForKey(kIsOpenPlayer)) {
        setIsOpenPlayer(suite.boolForKey(kIsOpenPlayer));
        if (isOpenPlayer())
            setIsPlaying(true);
    }
    if (isPlaying() != suite.boolForKey(kIsPlaying))
        setIsPlaying(suite.boolForKey(kIsPlaying));
    if (autolaunch() != suite.boolForKey(kAutolaunch))
        setAutolaunch(suite.boolForKey(kAutolaunch));
    m_comparedGeneration = generation;
}
