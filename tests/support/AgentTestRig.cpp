#include "AgentTestRig.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QFile>

AgentTestRig::AgentTestRig(std::vector<QRect> screenFrames)
    : suite(std::make_unique<UserDefaults>(home.file("Preferences/K4TQ7ZR2MB.zerafin.ini"))),
      standardDefaults(std::make_unique<UserDefaults>(home.file("com.tovan.zerafinHelper.ini"))),
      database(std::make_unique<LocalVideoDBManager>(home.file("Corvex.db"))),
      screens(std::move(screenFrames)), distributedCenter(QDBusConnection::sessionBus()) {
    server.setUpdateData(QJsonObject{});
    server.start();
}

AgentTestRig::~AgentTestRig() {
    // The global delegate must not outlive the object it points at.
    if (AppDelegate::applicationDelegate() == delegate.get())
        AppDelegate::setApplicationDelegate(nullptr);
    delegate.reset();
    menu.reset();
    manager.reset();
    webModel.reset();
    preferences.reset();
}

void AgentTestRig::preset(const std::function<void(UserDefaults&)>& write) {
    write(*suite);
    suite->synchronize();
}

void AgentTestRig::build() {
    Preferences::registerDefaults(*suite);
    preferences = std::make_unique<Preferences>(*suite);
    WebModel::Options options;
    options.baseURL = server.baseUrl();
    options.standardDefaults = standardDefaults.get();
    options.suite = suite.get();
    options.notifications = &center;
    options.scheduleRefreshes = false;
    webModel = std::make_unique<WebModel>(options);
    manager = std::make_unique<VideoPlayerManager>(*preferences, *database, screens, workspace,
                                                   distributedCenter, [this]() -> std::unique_ptr<Player> {
                                                       auto made = std::make_unique<FakePlayer>();
                                                       player = made.get();
                                                       return made;
                                                   });
    menu = std::make_unique<StatusBarManager>(
        *manager, *preferences, screens, center, [this]() -> WebModel& { return *webModel; }, launcher);
    delegate = std::make_unique<AppDelegate>(
        [this]() -> VideoPlayerManager& { return *manager; }, [this]() -> StatusBarManager& { return *menu; },
        *preferences, distributedCenter, center, [this]() -> WebModel& { return *webModel; });
    AppDelegate::setApplicationDelegate(delegate.get());
    QObject::connect(
        menu.get(), &StatusBarManager::updateCheckAnswered, delegate.get(),
        [this](const std::optional<UpgradeInfo>& info) { delegate->dispatchUpdateResult(info, true); });
}

void AgentTestRig::otherProgramWrites(const std::function<void(UserDefaults&)>& write) {
    UserDefaults other(suite->filePath());
    write(other);
    other.synchronize();
    preferences->updateUserDefaultFromDisk();
}

QString AgentTestRig::addClip(const QString& name) {
    const QString path = home.file(name + ".mp4");
    const QByteArray body = "clip " + name.toUtf8() + " " + QByteArray::number(++m_clips);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(body);
    file.close();
    VideoDetail video;
    video.sign = QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
    video.title = name;
    video.url = path;
    database->insert(video);
    return video.sign;
}
