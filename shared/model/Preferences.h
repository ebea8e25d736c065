#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class UserDefaults;

// Raw values stored under "MonitorArrange".
enum class VideoPlayerScreenType : qint64 { combo = 0, dynamic = 1, lonely = 2 };
// Raw values stored under "PlayModel".
enum class VideoPlayerPlayModel : qint64 { single = 0, list = 1, random = 2 };

// The settings both programs share through one suite file. Every setter writes through (and most
// synchronize) and emits its change signal on every assignment, also of an unchanged value. A
// one-second refresh copies what the other program changed into this object through the setters,
// so observers here learn of it.
class Preferences : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 monitorArrange READ monitorArrange WRITE setMonitorArrange NOTIFY monitorArrangeChanged)
    Q_PROPERTY(qint64 screenIndex READ screenIndex WRITE setScreenIndex NOTIFY screenIndexChanged)
    Q_PROPERTY(qint64 playModel READ playModel WRITE setPlayModel NOTIFY playModelChanged)
    Q_PROPERTY(float volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(bool mute READ mute WRITE setMute NOTIFY muteChanged)
    Q_PROPERTY(bool alreadyImportVideo READ alreadyImportVideo WRITE setAlreadyImportVideo NOTIFY
                   alreadyImportVideoChanged)
    Q_PROPERTY(bool isOpenPlayer READ isOpenPlayer WRITE setIsOpenPlayer NOTIFY isOpenPlayerChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying WRITE setIsPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(bool autolaunch READ autolaunch WRITE setAutolaunch NOTIFY autolaunchChanged)

public:
    // Reads the ten keys of `suite` (no setter runs, nothing is written back).
    explicit Preferences(UserDefaults& suite, QObject* parent = nullptr);

    // The process's instance over the shared suite, made on the main thread on first use, with
    // its refresh running every second from then on.
    static Preferences& shared();
    // The shared suite: <container>/Preferences/K4TQ7ZR2MB.zerafin.ini, missing defaults written.
    static UserDefaults& sharedDefaults();
    static QString sharedDefaultsPath();
    // Writes "autolaunch", "Volume", "Mute", "IsOpenPlayer", "isPlaying" where absent, then syncs.
    static void registerDefaults(UserDefaults& suite);

    UserDefaults& suite() const { return m_suite; }
    void startRefreshTimer();

    qint64 monitorArrange() const { return m_monitorArrange; }
    qint64 screenIndex() const { return m_screenIndex; }
    qint64 playModel() const { return m_playModel; }
    std::optional<QString> playingVideoSign() const { return m_playingVideoSign; }
    float volume() const { return m_volume; }
    bool mute() const { return m_mute; }
    bool alreadyImportVideo() const { return m_alreadyImportVideo; }
    bool isOpenPlayer() const { return m_isOpenPlayer; }
    bool isPlaying() const { return m_isPlaying; }
    bool autolaunch() const { return m_autolaunch; }

public slots:
    void setMonitorArrange(qint64 value);
    void setScreenIndex(qint64 value);
    void setPlayModel(qint64 value);
    // No value removes "CurrentVideoSign" from the suite.
    void setPlayingVideoSign(const std::optional<QString>& value);
    void setVolume(float value);
    void setMute(bool value);
    void setAlreadyImportVideo(bool value);
    void setIsOpenPlayer(bool value);
    void setIsPlaying(bool value);
    void setAutolaunch(bool value);

    // The refresh: re-reads the suite and assigns, in a fixed order, only the values that changed.
    void updateUserDefaultFromDisk();

signals:
    void monitorArrangeChanged(qint64 value);
    void screenIndexChanged(qint64 value);
    void playModelChanged(qint64 value);
    void playingVideoSignChanged(const std::optional<QString>& value);
    void volumeChanged(float value);
    void muteChanged(bool value);
    void alreadyImportVideoChanged(bool value);
    void isOpenPlayerChanged(bool value);
    void isPlayingChanged(bool value);
    void autolaunchChanged(bool value);

private:
    UserDefaults& m_suite;
    QTimer m_timer;
    quint64 m_comparedGeneration = 0; // the suite's generation when the refresh last compared
    qint64 m_monitorArrange = 0;
    qint64 m_screenIndex = 0;
    qint64 m_playModel = 0;
    std::optional<QString> m_playingVideoSign;
    float m_volume = 0.0f;
    bool m_mute = false;
    bool m_alreadyImportVideo = false;
    bool m_isOpenPlayer = false;
    bool m_isPlaying = false;
    bool m_autolaunch = false;
};
