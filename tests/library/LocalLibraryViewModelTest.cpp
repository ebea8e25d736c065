#include "LocalLibraryViewModel.h"

#include "AppImage.h"
#include "DistributedNotificationCenter.h"
#include "ImportFixtures.h"
#include "ListModelTestSupport.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "Preferences.h"
#include "ProgressWindow.h"
#include "ReplyLimits.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThreadPool>
#include <atomic>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {
// A local list whose folder clean-up fails at one chosen entry.
class FailingClearModel : public LocalLibraryViewModel {
public:
    using LocalLibraryViewModel::LocalLibraryViewModel;
    QString failOn;

protected:
    bool removeLibraryEntry(const QString& path) override {
        if (QFileInfo(path).fileName() == failOn)
            return false;
        return LocalLibraryViewModel::removeLibraryEntry(path);
    }
};

bool progressWindowShown() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<ProgressWindow*>(widget) && widget->isVisible())
            return true;
    for (QWidget* widget : QApplication::allWidgets())
        if (qobject_cast<ProgressWindow*>(widget) && widget->isVisible())
            return true;
    return false;
}
} // namespace

class LocalLibraryViewModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        clips = std::make_unique<TestHome>();
        for (int i = 0; i < 3; ++i)
            clip[i] = ImportFixtures::clip(clips->file(QString("clip%1.mp4").arg(i)), 160, 90, 1.0, 10 + i);
        audio = ImportFixtures::audioOnly(clips->path());
    }
    static void TearDownTestSuite() { clips.reset(); }

    void SetUp() override {
        ASSERT_FALSE(clip[2].isEmpty());
        QDir(home.path()).mkpath("support/DownloadVideo");
        library = home.file("support/DownloadVideo");
        database = std::make_unique<LocalVideoDBManager>(home.file("Corvex.db"));
        importer = std::make_unique<LocalLibraryModel>(*database, LocalLibraryModel::DetailLookup{}, library,
                                                       home.file("support"));
        suite = std::make_unique<UserDefaults>(home.file("suite.ini"));
        preferences = std::make_unique<Preferences>(*suite);
        distributed = std::make_unique<DistributedNotificationCenter>(QDBusConnection::sessionBus());
        observation.emplace(distributed->addObserver("UpdateVideoList", [this] { ++posts; }));
        ImageLoader::Options imageOptions;
        imageOptions.network = &network;
        imageOptions.ownFolders = {home.file("support")};
        images = std::make_unique<ImageLoader>(imageOptions);
        model = makeModel<LocalLibraryViewModel>();
    }

    template <typename Model> std::unique_ptr<Model> makeModel() {
        LocalLibraryViewModel::Dependencies deps;
        deps.database = database.get();
        deps.preferences = preferences.get();
        deps.importer = importer.get();
        deps.libraryDirectory = library;
        deps.distributed = distributed.get();
        deps.menus = &menus;
        deps.alerts = &alerts;
        deps.fileChooser = &chooser;
        deps.revealer = &revealer;
        deps.images = images.get();
        deps.notifications = &notifications;
        auto made = std::make_unique<Model>(deps);
        made->videoDetailDidChanged = [this](const std::optional<VideoDetail>& video) {
            reported.append(video);
        };
        made->bind(rig.collectionView);
        return made;
    }

    void importAndWait(const QList<QUrl>& urls) {
        std::atomic<bool> done{false};
        model->importVideoFiles(urls, [&done] { done = true; });
        ASSERT_TRUE(TestHome::waitUntil([&] { return done.load(); }, 60s));
        TestHome::spin(150ms);
    }

    static QList<QUrl> files(std::initializer_list<QString> paths) {
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        return urls;
    }

    // A row naming the file at `path`.
    VideoDetail addRow(const QString& sign, const QString& path, const QString& preurl = {},
                       const QString& imgurl = {}) {
        VideoDetail video;
        video.sign = sign;
        video.title = QFileInfo(path).baseName();
        video.url = LocalVideoPath::fileUrlText(path);
        video.preurl = preurl;
        video.imgurl = imgurl;
        database->insert(video);
        return video;
    }

    static QString touch(const QString& path) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("video");
        return path;
    }

    int rows() { return int(database->selectAll().size()); }
    int listSize() const { return model->videoList() ? int(model->videoList()->size()) : -1; }
    QStringList libraryFiles() const {
        return QDir(library).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    static inline std::unique_ptr<TestHome> clips;
    static inline QString clip[3];
    static inline QString audio;

    TestHome home;
    QString library;
    QNetworkAccessManager network;
    NotificationCenter notifications;
    FakeMenuPresenter menus;
    FakeAlertPresenter alerts;
    FakeFileChooser chooser;
    FakeFileRevealer revealer;
    GridRig rig;
    std::unique_ptr<LocalVideoDBManager> database;
    std::unique_ptr<LocalLibraryModel> importer;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<DistributedNotificationCenter> distributed;
    std::optional<Disposable> observation;
    std::atomic<int> posts{0};
    std::unique_ptr<ImageLoader> images;
    std::unique_ptr<LocalLibraryViewModel> model;
    QList<std::optional<VideoDetail>> reported;
};

TEST_F(LocalLibraryViewModelTest, ImportRemoveAndClearAll) {
    importAndWait(files({clip[0], clip[1], clip[2]}));
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(listSize(), 3);
    EXPECT_TRUE(alerts.messages.isEmpty());
    EXPECT_FALSE(progressWindowShown());
    ASSERT_TRUE(TestHome::waitUntil([&] { return posts == 1; }));
    TestHome::spin(200ms);
    EXPECT_EQ(posts, 1) << "one post for the whole batch";

    // The item menu of an imported video (no preview address).
    auto press = mouseEvent(QEvent::MouseButtonPress, Qt::RightButton);
    model->didRightClickItemAt(rig.collectionView, IndexPath(1), press.get());
    EXPECT_EQ(menus.titles(), (QStringList{"Set as Wallpaper", "Remove", "Show in Finder"}));
    const VideoDetail removed = *model->currentItem();
    const QString removedPath = *LocalVideoPath::fromStoredUrl(removed.url);
    ASSERT_TRUE(QFile::exists(removedPath));
    menus.choose("Show in Finder");
    EXPECT_EQ(revealer.revealed, QStringList{removedPath});

    menus.choose("Remove");
    EXPECT_FALSE(QFile::exists(removedPath));
    EXPECT_FALSE(database->selectBySign(removed.sign).has_value());
    TestHome::spin(100ms);
    EXPECT_EQ(listSize(), 2);
    ASSERT_TRUE(TestHome::waitUntil([&] { return posts == 2; }));

    // The list menu on empty space; "Clear All" answered "Cancel" changes nothing.
    auto release = mouseEvent(QEvent::MouseButtonRelease, Qt::RightButton, QPoint(790, 590));
    model->rightMouseUp(rig.collectionView, release.get());
    EXPECT_EQ(menus.titles(), (QStringList{"Import Video", "Open Resource Path", "Clear All"}));
    menus.choose("Open Resource Path");
    EXPECT_EQ(revealer.opened, QStringList{library});
    alerts.answer = 0;
    menus.choose("Clear All");
    EXPECT_EQ(alerts.confirmations, QStringList{"Are you sure to clear all the videos"});
    EXPECT_EQ(alerts.confirmButtons, (QStringList{"Cancel", "OK"}));
    EXPECT_EQ(alerts.confirmStyle, AlertPresenter::Style::warning);
    EXPECT_EQ(alerts.confirmWindow, &rig.window);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(libraryFiles().size(), 2);

    alerts.answer = 1;
    menus.choose("Clear All");
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(libraryFiles().isEmpty());
    TestHome::spin(200ms);
    EXPECT_EQ(listSize(), 0);
    EXPECT_EQ(rig.container->image(), AppImage::named("empty_video_list"));
    EXPECT_EQ(posts, 2) << "clearing everything tells the agent nothing";
}

TEST_F(LocalLibraryViewModelTest, BatchShowsOneAlertPerRefusedFileInOrderAndPostsOnce) {
    importAndWait(files({clip[0]}));
    ASSERT_TRUE(TestHome::waitUntil([&] { return posts == 1; }));

    importAndWait(files({clip[1], clip[0], audio}));
    EXPECT_EQ(alerts.messages, (QStringList{"This video exists", "This video format is not supported"}));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(listSize(), 2);
    ASSERT_TRUE(TestHome::waitUntil([&] { return posts == 2; }));
    TestHome::spin(200ms);
    EXPECT_EQ(posts, 2);

    // An empty batch still re-reads the list, finishes and tells the agent.
    database->deleteBySign(model->videoAt(0)->sign);
    importAndWait({});
    EXPECT_EQ(listSize(), 1);
    ASSERT_TRUE(TestHome::waitUntil([&] { return posts == 3; }));
    EXPECT_FALSE(progressWindowShown());
}

TEST_F(LocalLibraryViewModelTest, ImportPanelAsksForMp4AndMovThenImports) {
    chooser.files = files({clip[2]});
    auto release = mouseEvent(QEvent::MouseButtonRelease, Qt::RightButton, QPoint(790, 590));
    model->rightMouseUp(rig.collectionView, release.get());
    std::atomic<int> before{posts.load()};
    menus.choose("Import Video");
    EXPECT_EQ(chooser.askedSuffixes, (QStringList{"mp4", "mov"}));
    ASSERT_TRUE(TestHome::waitUntil([&] { return posts == before + 1; }, 60s));
    TestHome::spin(100ms);
    EXPECT_EQ(listSize(), 1);
}

TEST_F(LocalLibraryViewModelTest, PlayingVideoIsSelectedOnlyWhilePlayerIsOn) {
    for (int i = 0; i < 8; ++i)
        addRow(QString("sign%1").arg(i), touch(QDir(library).filePath(QString("v%1.mp4").arg(i))));
    preferences->setPlayingVideoSign(QString("sign5"));
    preferences->setIsOpenPlayer(false);
    model->reloadVideoList(true);
    TestHome::spin(100ms);
    EXPECT_EQ(rig.collectionView->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(0)});

    preferences->setIsOpenPlayer(true);
    reported.clear();
    model->reloadVideoList(true);
    TestHome::spin(100ms);
    EXPECT_EQ(rig.collectionView->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(5)});
    ASSERT_FALSE(reported.isEmpty());
    EXPECT_EQ(reported.last()->sign, "sign5");

    // A double click plays the video.
    preferences->setIsOpenPlayer(false);
    auto click = mouseEvent(QEvent::MouseButtonDblClick, Qt::LeftButton);
    model->didDoubleClickItemAt(rig.collectionView, IndexPath(2), click.get());
    EXPECT_EQ(preferences->playingVideoSign(), QString("sign2"));
    EXPECT_TRUE(preferences->isOpenPlayer());
}

TEST_F(LocalLibraryViewModelTest, StoredRowsWithEnormousTextsAreShownCutAndKeptWhole) {
    const QString path = touch(QDir(library).filePath("long.mp4"));
    VideoDetail stored;
    stored.sign = "signlong";
    stored.url = LocalVideoPath::fileUrlText(path);
    stored.title = QString(2'000'000, QChar('T'));
    stored.description = QString(50'000, QChar('d'));
    stored.author = QString(50'000, QChar('a'));
    database->insert(stored);
    model->reloadVideoList(true);
    TestHome::spin(100ms);
    ASSERT_EQ(listSize(), 1);
    const VideoDetail shown = model->videoList()->front();
    EXPECT_EQ(shown.title.size(), ReplyLimits::maximumTextLength);
    EXPECT_EQ(shown.description.size(), ReplyLimits::maximumTextLength);
    EXPECT_EQ(shown.author.size(), ReplyLimits::maximumTextLength);
    EXPECT_EQ(shown.url, stored.url);
    ASSERT_FALSE(reported.isEmpty());
    ASSERT_TRUE(reported.last());
    EXPECT_EQ(reported.last()->title.size(), ReplyLimits::maximumTextLength);
    // The table keeps what it had.
    EXPECT_EQ(database->selectBySign("signlong")->title.size(), stored.title.size());
}

TEST_F(LocalLibraryViewModelTest, ABatchWaitingOnASilentServerDoesNotHoldUpTheEnd) {
    // The server takes the request and never answers; its answer would arrive through the main
    // thread, which is busy ending the program.
    std::atomic<bool> asked{false};
    model.reset();
    importer = std::make_unique<LocalLibraryModel>(
        *database, [&asked](const QString&, LocalLibraryModel::DetailCompletion) { asked = true; }, library,
        home.file("support"), std::chrono::milliseconds(60000));
    model = makeModel<LocalLibraryViewModel>();
    model->importVideoFiles(files({clip[0], clip[1]}), [] {});
    ASSERT_TRUE(TestHome::waitUntil([&] { return asked.load(); }, 30s));

    QElapsedTimer clock;
    clock.start();
    model.reset();
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(LocalLibraryViewModelTest, RemoveKeepsScrollPositionAndDeletesOnlyLibraryFiles) {
    for (int i = 0; i < 40; ++i)
        addRow(QString("sign%1").arg(i, 2, 10, QLatin1Char('0')),
               touch(QDir(library).filePath(QString("v%1.mp4").arg(i))));
    const QString outside = touch(home.file("outside.mp4"));
    const QString linked = QDir(library).filePath("link.mp4");
    ASSERT_TRUE(QFile::link(touch(home.file("elsewhere.mp4")), linked));
    addRow("outsideSign", outside);
    addRow("linkSign", linked);
    model->reloadVideoList(true);
    TestHome::spin(100ms);

    rig.collectionView->setContentOffset(QPointF(0, 300));
    auto press = mouseEvent(QEvent::MouseButtonPress, Qt::RightButton);
    model->didRightClickItemAt(rig.collectionView, IndexPath(40), press.get());
    ASSERT_EQ(model->currentItem()->sign, "outsideSign");
    menus.choose("Remove");
    TestHome::spin(100ms);
    EXPECT_TRUE(QFile::exists(outside)) << "a file outside the library folder is never deleted";
    EXPECT_FALSE(database->selectBySign("outsideSign").has_value()) << "the row goes all the same";
    EXPECT_EQ(rig.collectionView->contentOffset().y(), 300);

    model->didRightClickItemAt(rig.collectionView, IndexPath(40), press.get());
    ASSERT_EQ(model->currentItem()->sign, "linkSign");
    menus.choose("Remove");
    EXPECT_TRUE(QFile::exists(home.file("elsewhere.mp4")));
    EXPECT_FALSE(database->selectBySign("linkSign").has_value());
    ASSERT_TRUE(TestHome::waitUntil([&] { return posts == 2; }));
}

TEST_F(LocalLibraryViewModelTest, ClearAllStoppedMidwayDropsTheRowsOfDeletedFiles) {
    auto failing = makeModel<FailingClearModel>();
    failing->failOn = "b.mp4";
    addRow("a", touch(QDir(library).filePath("a.mp4")));
    addRow("b", touch(QDir(library).filePath("b.mp4")));
    addRow("c", touch(QDir(library).filePath("c.mp4")));
    failing->reloadVideoList(true);
    TestHome::spin(50ms);
    auto release = mouseEvent(QEvent::MouseButtonRelease, Qt::RightButton, QPoint(790, 590));
    failing->rightMouseUp(rig.collectionView, release.get());
    alerts.answer = 1;
    menus.choose("Clear All");
    EXPECT_FALSE(QFile::exists(QDir(library).filePath("a.mp4")));
    EXPECT_FALSE(database->selectBySign("a").has_value()) << "no row names a missing file";
    EXPECT_TRUE(database->selectBySign("b").has_value());
    EXPECT_TRUE(database->selectBySign("c").has_value());
    TestHome::spin(100ms);
    EXPECT_EQ(failing->videoList()->size(), 2u);
}

TEST_F(LocalLibraryViewModelTest, MenusFollowTheVideoAndTheBoundModel) {
    addRow("web", touch(QDir(library).filePath("w.mp4")), "https://example.org/preview page");
    addRow("local", touch(QDir(library).filePath("l.mp4")), "file:///etc/passwd");
    model->reloadVideoList(true);
    TestHome::spin(50ms);
    auto press = mouseEvent(QEvent::MouseButtonPress, Qt::RightButton);
    model->didRightClickItemAt(rig.collectionView, IndexPath(0), press.get());
    EXPECT_EQ(menus.titles(), (QStringList{"Preview Video", "Set as Wallpaper", "Remove", "Show in Finder"}));
    menus.choose("Preview Video");
    ASSERT_EQ(rig.window.previews.size(), 1);
    EXPECT_EQ(rig.window.previews[0].toString(QUrl::FullyEncoded), "https://example.org/preview%20page");
    model->didRightClickItemAt(rig.collectionView, IndexPath(1), press.get());
    menus.choose("Preview Video");
    EXPECT_EQ(rig.window.previews.size(), 1) << "only web addresses are previewed";
    menus.choose("Set as Wallpaper");
    EXPECT_EQ(preferences->playingVideoSign(), QString("local"));

    // A right click on empty space opens no item menu; a release there while another model is
    // bound opens no list menu.
    const int shown = int(menus.shown.size());
    model->didRightClickItemAt(rig.collectionView, std::nullopt, press.get());
    LibraryViewModel other(*images, notifications);
    other.bind(rig.collectionView);
    auto release = mouseEvent(QEvent::MouseButtonRelease, Qt::RightButton, QPoint(790, 590));
    model->rightMouseUp(rig.collectionView, release.get());
    EXPECT_EQ(menus.shown.size(), shown);
}

TEST_F(LocalLibraryViewModelTest, RemoveOfAnAddressThatNamesNoFileDoesNothing) {
    VideoDetail odd;
    odd.sign = "odd";
    odd.url = "https://example.org/clip.mp4";
    database->insert(odd);
    VideoDetail relative = odd;
    relative.sign = "relative";
    relative.url = "clips/clip.mp4";
    database->insert(relative);
    model->reloadVideoList(true);
    TestHome::spin(50ms);
    auto press = mouseEvent(QEvent::MouseButtonPress, Qt::RightButton);
    for (int item : {0, 1}) {
        model->didRightClickItemAt(rig.collectionView, IndexPath(item), press.get());
        menus.choose("Remove");
    }
    EXPECT_TRUE(database->selectBySign("odd").has_value());
    EXPECT_TRUE(database->selectBySign("relative").has_value());
    TestHome::spin(200ms);
    EXPECT_EQ(posts, 0) << "nothing removed, nothing posted";
}

namespace {
// Takes from this thread the power to read and search any folder whatever its permissions (which
// a test run as root has), and gives it back when it goes.
class FolderPermissionsApply {
public:
    FolderPermissionsApply() {
        ::syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &m_header, reduced);
    }
    ~FolderPermissionsApply() { ::syscall(SYS_capset, &m_header, m_saved); }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};
} // namespace

TEST_F(LocalLibraryViewModelTest, ClearAllChangesNothingWhenTheFolderCannotBeListed) {
    addRow("a", touch(QDir(library).filePath("a.mp4")));
    ASSERT_TRUE(QFile::setPermissions(library, QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    {
        FolderPermissionsApply apply;
        if (QDir(library).entryList(QDir::Files).contains("a.mp4")) {
            QFile::setPermissions(library,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            GTEST_SKIP() << "the folder can still be read";
        }
        alerts.answer = 1;
        model->clearAllItemAction();
    }
    QFile::setPermissions(library, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(database->selectBySign("a").has_value());
    EXPECT_TRUE(QFile::exists(QDir(library).filePath("a.mp4")));
    EXPECT_TRUE(alerts.messages.isEmpty());
}

TEST_F(LocalLibraryViewModelTest, ClearAllDeletesNothingWhenTheLibraryCannotBeRead) {
    touch(QDir(library).filePath("a.mp4"));
    touch(QDir(library).filePath("b.mov"));
    // A database file that is no database: the list reads as empty, yet the videos are the user's.
    QFile damaged(home.file("damaged.db"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.close();
    auto broken = std::make_unique<LocalVideoDBManager>(home.file("damaged.db"));
    std::swap(database, broken);
    auto unreadable = makeModel<LocalLibraryViewModel>();
    std::swap(database, broken);
    alerts.answer = 1;
    unreadable->clearAllItemAction();
    EXPECT_EQ(libraryFiles(), (QStringList{"a.mp4", "b.mov"}));
    ASSERT_EQ(alerts.messages.size(), 1);
    EXPECT_EQ(alerts.messages.front(), "The video library cannot be read, so nothing was deleted");
}

TEST_F(LocalLibraryViewModelTest, ClearAllTakesEachFileWithItsRowAndThenTheRest) {
    // A row outside the folder and one whose file is gone go without touching anything else; a
    // file without a row and a folder go too; hidden entries stay.
    addRow("in", touch(QDir(library).filePath("in.mp4")));
    const QString outside = touch(home.file("outside.mp4"));
    addRow("out", outside);
    addRow("gone", QDir(library).filePath("gone.mp4"));
    touch(QDir(library).filePath("stray.mp4"));
    QDir(library).mkpath("folder");
    touch(QDir(library).filePath(".hidden"));
    alerts.answer = 1;
    model->clearAllItemAction();
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(QFile::exists(outside));
    EXPECT_EQ(QDir(library).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{".hidden"});
}

TEST_F(LocalLibraryViewModelTest, StoredThumbnailsAreReadOnlyFromTheImportersOwnRegularFiles) {
    // Rows as imports store them: one with the importer's own thumbnail, and ones whose server
    // record named a device, a FIFO in the thumbnail folder, or a file elsewhere.
    QImage picture(32, 18, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    ASSERT_TRUE(picture.save(home.file("support/own.png")));
    ASSERT_TRUE(picture.save(home.file("elsewhere.png")));
    const QString fifo = home.file("support/fifo.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const auto video = [&](const QString& name) { return touch(QDir(library).filePath(name + ".mp4")); };
    addRow("own", video("own"), {}, LocalVideoPath::fileUrlText(home.file("support/own.png")));
    addRow("zero", video("zero"), {}, "file:///dev/zero");
    addRow("fifo", video("fifo"), {}, LocalVideoPath::fileUrlText(fifo));
    addRow("elsewhere", video("elsewhere"), {}, LocalVideoPath::fileUrlText(home.file("elsewhere.png")));

    model->reloadVideoList(true);
    ASSERT_TRUE(TestHome::waitUntil([&] { return model->imageCache().contains("own"); }));
    // Every other load has ended without a picture, and no worker is left waiting on a file.
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(2000));
    TestHome::spin(100ms);
    EXPECT_EQ(model->imageCache().size(), 1);
}
