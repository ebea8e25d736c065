#include "VideoLibraryViewController.h"
#include "ButtonWithColorfulLink.h"
#include "CollectionView.h"
#include "CollectionViewLayout.h"
#include "DownloadManager.h"
#include "HotTagsView.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "NowPlayingView.h"
#include "Preferences.h"
#include "ProtocolTestServer.h"
#include "TabTitleView.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoDetailSamples.h"
#include "WebModel.h"
#include "ZFCollectionView.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Kind = VideoLibraryLists::Kind;

const char* name(Kind kind) {
    return kind == Kind::local ? "local" : kind == Kind::online ? "online" : "download";
}

// Lists that record what the page asks of them. The local list shows `pendingSigns` once its
// (queued) reload has run, as the real one does.
struct FakeLists : VideoLibraryLists, CollectionViewDataSource {
    std::vector<std::string> calls;
    std::optional<Kind> bound;
    CollectionView* view = nullptr;
    QStringList signs;
    QStringList pendingSigns;
    std::vector<VideoListRequest> loads;
    std::vector<QList<QUrl>> imports;
    std::vector<std::function<void()>> importCompletions;
    int loaded[3] = {0, 0, 0};
    int total[3] = {0, 0, 0};
    DetailChanged detailChanged;

    void bind(Kind kind, CollectionView* collectionView) override {
        calls.push_back(std::string("bind ") + name(kind));
        bound = kind;
        view = collectionView;
        collectionView->setDataSource(this);
        collectionView->reloadData();
    }
    std::optional<Kind> boundList(const CollectionView*) const override { return bound; }
    void cancelImageDownloads(Kind kind) override { calls.push_back(std::string("cancel ") + name(kind)); }
    void reloadVideoList(bool reset) override {
        calls.push_back(reset ? "reload local from top" : "reload local");
        QMetaObject::invokeMethod(
            view,
            [this] {
                signs = pendingSigns;
                view->reloadData();
            },
            Qt::QueuedConnection);
    }
    void importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion) override {
        calls.push_back("import");
        imports.push_back(urls);
        importCompletions.push_back(std::move(completion));
    }
    QStringList localSigns() const override { return signs; }
    void clearEmptyImage() override { calls.push_back("clear empty image"); }
    void reloadOnMainQueue() override { calls.push_back("reload download"); }
    void loadData() override { calls.push_back("load online"); }
    void load(const VideoListRequest& request) override {
        calls.push_back("load request");
        loads.push_back(request);
    }
    void searchKeyword(const QString& keyword) override {
        calls.push_back("search " + keyword.toStdString());
    }
    void loadAuthorVideos(const QString& author) override {
        calls.push_back("author " + author.toStdString());
    }
    int loadedCount(Kind kind) const override { return loaded[int(kind)]; }
    int totalVideoCount(Kind kind) const override { return total[int(kind)]; }
    void setVideoDetailDidChanged(DetailChanged closure) override { detailChanged = std::move(closure); }

    int numberOfItemsInSection(CollectionView*, int) override {
        return bound == Kind::local ? int(signs.size()) : 0;
    }
    CollectionViewCell* cellForItemAt(CollectionView*, const IndexPath&) override {
        return new CollectionViewCell();
    }
};

struct Rig {
    TestHome home;
    ProtocolTestServer server;
    UserDefaults standard{home.file("standard.ini")};
    UserDefaults suite{home.file("suite.ini")};
    Preferences preferences{suite};
    NotificationCenter notifications;
    std::unique_ptr<WebModel> webModel;
    LocalVideoDBManager database{home.file("Corvex.db")};
    std::unique_ptr<DownloadManager> downloads;
    FakeLists lists;
    std::vector<QUrl> opened;
    std::vector<QList<QUrl>> chooserAnswers;
    std::unique_ptr<VideoLibraryViewController> page;
    std::vector<QString> samplesFound;

    explicit Rig(std::function<void(ProtocolTestServer&)> prepare = {}) {
        EXPECT_TRUE(server.start());
        server.setHotTags({"first", "second", "third"});
        server.setCategories(QJsonArray{QJsonObject{{"id", 7}, {"title", "Nature"}},
                                        QJsonObject{{"id", 9}, {"title", "Cities"}}});
        if (prepare)
            prepare(server);
        suite.setString("TEST-INSTALLATION", "uuid");
        WebModel::Options options;
        options.baseURL = server.baseUrl();
        options.standardDefaults = &standard;
        options.suite = &suite;
        options.notifications = &notifications;
        options.scheduleRefreshes = false;
        webModel = std::make_unique<WebModel>(options);
        QDir().mkpath(home.file("caches"));
        QDir().mkpath(home.file("library"));
        downloads = std::make_unique<DownloadManager>(DownloadManager::Dependencies{home.file("caches"),
                                                                                    home.file("library"),
                                                                                    &database,
                                                                                    &notifications,
                                                                                    nullptr,
                                                                                    [](qint64, int) {},
                                                                                    {},
                                                                                    10000});
        preferences.setIsOpenPlayer(true);
        preferences.setVolume(0.5f);
        VideoLibraryViewController::Dependencies deps;
        deps.preferences = &preferences;
        deps.webModel = webModel.get();
        deps.database = &database;
        deps.downloads = downloads.get();
        deps.notifications = &notifications;
        deps.lists = &lists;
        deps.openURL = [this](const QUrl& url) { opened.push_back(url); };
        deps.chooseFiles = [this](QWidget*, std::function<void(const QList<QUrl>&)> done) {
            const QList<QUrl> answer = chooserAnswers.empty() ? QList<QUrl>() : chooserAnswers.front();
            if (!chooserAnswers.empty())
                chooserAnswers.erase(chooserAnswers.begin());
            done(answer);
        };
        deps.locateResource = [this](const QString& name) -> std::optional<QString> {
            samplesFound.push_back(name);
            return name.startsWith("Test Card") || name.startsWith("Gradient")
                       ? std::optional<QString>("/samples/" + name)
                       : std::nullopt;
        };
        page = std::make_unique<VideoLibraryViewController>(deps);
        page->resize(1100, 640);
    }

    void click(QWidget* widget, QPoint at = {}) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
    }
    qreal itemHeight() const {
        return page->collectionView()->collectionViewLayout()->itemRect(0, 800).height();
    }
    void settle() { TestHome::spin(std::chrono::milliseconds(30)); }
};

TEST(VideoLibraryViewController, OpensOnTheLocalTabAndLaysOutTheHotTagsFromTheRight) {
    Rig rig;
    rig.page->show();
    EXPECT_EQ(rig.lists.calls.at(0), "bind local");
    EXPECT_EQ(rig.lists.calls.at(1), "reload local from top");
    EXPECT_TRUE(rig.page->localTab()->highlight());
    EXPECT_FALSE(rig.page->onlineTab()->highlight());
    EXPECT_EQ(rig.page->collectionView()->collectionViewLayout(), rig.page->columnLayout());
    EXPECT_EQ(rig.page->columnLayout()->columnCount(), 4);
    EXPECT_EQ(rig.itemHeight(), 110.0);
    EXPECT_EQ(rig.page->detailView()->delegate(), rig.page.get());
    EXPECT_EQ(rig.page->volumeSlider()->value(), 500);

    ASSERT_TRUE(TestHome::waitUntil([&] { return rig.page->hotTagButtons().size() == 3; }));
    rig.settle();
    const auto tags = rig.page->hotTagButtons();
    EXPECT_EQ(tags[0]->text(), "third");
    EXPECT_EQ(tags[1]->text(), "second");
    EXPECT_EQ(tags[2]->text(), "first");
    EXPECT_EQ(tags[2]->geometry().right(), rig.page->hottagsView()->width() - 1);
    EXPECT_EQ(tags[1]->geometry().right() + 1, tags[2]->geometry().left());
}

TEST(VideoLibraryViewController, TabsSwitchLayoutStatusHighlightAndList) {
    Rig rig;
    rig.page->show();
    rig.lists.calls.clear();
    rig.click(rig.page->downloadTab());
    EXPECT_EQ(rig.page->collectionView()->collectionViewLayout(), rig.page->listLayout());
    EXPECT_EQ(rig.itemHeight(), 63.5);
    EXPECT_TRUE(rig.page->pageStatus()->isHidden());
    EXPECT_TRUE(rig.page->downloadTab()->highlight());
    EXPECT_FALSE(rig.page->localTab()->highlight());
    rig.settle();
    EXPECT_EQ(rig.lists.calls,
              (std::vector<std::string>{"bind download", "reload download", "clear empty image"}));

    rig.lists.calls.clear();
    rig.click(rig.page->localTab());
    EXPECT_EQ(rig.itemHeight(), 110.0);
    EXPECT_FALSE(rig.page->pageStatus()->isHidden());
    EXPECT_TRUE(rig.page->localTab()->highlight());
    EXPECT_FALSE(rig.page->downloadTab()->highlight());
    EXPECT_EQ(rig.lists.calls,
              (std::vector<std::string>{"cancel online", "bind local", "reload local from top"}));

    rig.lists.calls.clear();
    rig.click(rig.page->onlineTab(), QPoint(5, 5));
    EXPECT_TRUE(rig.page->onlineTab()->highlight());
    EXPECT_EQ(rig.page->columnLayout()->footerHeight(), 30.0);
    EXPECT_EQ(rig.lists.calls, (std::vector<std::string>{"cancel local", "bind online", "load online"}));
}

TEST(VideoLibraryViewController, PageStatusCountsTheBoundList) {
    Rig rig;
    rig.lists.loaded[int(Kind::local)] = 12;
    rig.lists.total[int(Kind::local)] = 0;
    rig.notifications.post("updateVideoAmount");
    EXPECT_EQ(rig.page->pageStatus()->text(), "12/12");
    rig.lists.loaded[int(Kind::online)] = 20;
    rig.lists.total[int(Kind::online)] = 135;
    rig.page->switchTab(rig.page->onlineTab());
    rig.notifications.post("updateVideoAmount");
    EXPECT_EQ(rig.page->pageStatus()->text(), "20/135");
    rig.lists.bound.reset();
    rig.page->updatePageStatus();
    EXPECT_EQ(rig.page->pageStatus()->text(), "0/0");
}

TEST(VideoLibraryViewController, TheCategoryMenuFillsWhenTheReplyComesAndAChoiceLoadsItsFirstPage) {
    Rig rig([](ProtocolTestServer& server) { server.setDelay(std::chrono::milliseconds(300), "501"); });
    rig.page->show();
    rig.webModel->setLatestRequest(VideoListRequest{"someone", 3, 4, "a2V5", 2, "YXV0aG9y"});
    rig.lists.calls.clear();
    QToolButton* button = rig.page->categoryButton();
    rig.click(rig.page->onlineTab(), button->geometry().center());
    EXPECT_TRUE(button->isChecked());
    EXPECT_FALSE(rig.page->onlineTab()->highlight()) << "the category region does not switch tabs";
    ASSERT_TRUE(TestHome::waitUntil([&] { return rig.page->categoryMenuShown() != nullptr; }));
    QMenu* menu = rig.page->categoryMenuShown();
    EXPECT_TRUE(menu->actions().isEmpty()) << "no base information yet";
    ASSERT_TRUE(TestHome::waitUntil([&] { return menu->actions().size() == 2; }));
    EXPECT_EQ(menu->actions()[0]->text(), "Nature");
    EXPECT_EQ(menu->actions()[1]->text(), "Cities");

    menu->actions()[1]->trigger();
    menu->close();
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(rig.page->onlineTabTitle()->text(), "Cities");
    EXPECT_TRUE(rig.page->onlineTab()->highlight());
    EXPECT_EQ(rig.page->columnLayout()->footerHeight(), 30.0);
    ASSERT_EQ(rig.lists.loads.size(), 1u);
    EXPECT_EQ(rig.lists.loads[0], (VideoListRequest{"someone", 9, 1, "", 2, ""}));
    EXPECT_TRUE(std::find(rig.lists.calls.begin(), rig.lists.calls.end(), "cancel local") !=
                rig.lists.calls.end());
}

TEST(VideoLibraryViewController, ANewSortOrderStartsAtPageOneKeepingTheQuery) {
    Rig rig;
    rig.webModel->setLatestRequest(VideoListRequest{"someone", 3, 3, "a2V5", 1, "YXV0aG9y"});
    rig.page->sortButton()->setCurrentIndex(1);
    rig.page->refreshVideoListOnSort();
    ASSERT_EQ(rig.lists.loads.size(), 1u);
    EXPECT_EQ(rig.lists.loads[0], (VideoListRequest{"someone", 3, 1, "a2V5", 2, "YXV0aG9y"}));
    EXPECT_TRUE(rig.page->onlineTab()->highlight());

    // Without a query yet: category 0, page 1, the chosen order.
    rig.webModel->setLatestRequest(std::nullopt);
    rig.page->sortButton()->setCurrentIndex(0);
    rig.page->refreshVideoListOnSort();
    EXPECT_EQ(rig.lists.loads[1], (VideoListRequest{rig.webModel->userID(), 0, 1, "", 1, ""}));
    rig.page->sortButton()->setCurrentIndex(-1);
    rig.page->refreshVideoListOnSort();
    EXPECT_EQ(rig.lists.loads[2].sort, 1);
}

TEST(VideoLibraryViewController, AHotTagSearchesForItsWord) {
    Rig rig;
    rig.page->show();
    rig.page->switchTab(rig.page->downloadTab());
    ASSERT_TRUE(TestHome::waitUntil([&] { return rig.page->hotTagButtons().size() == 3; }));
    rig.lists.calls.clear();
    rig.click(rig.page->hotTagButtons()[1]);
    EXPECT_EQ(rig.lists.calls, (std::vector<std::string>{"cancel local", "bind online", "search second"}));
    EXPECT_TRUE(rig.page->onlineTab()->highlight());
    EXPECT_EQ(rig.page->collectionView()->collectionViewLayout(), rig.page->columnLayout());
    EXPECT_EQ(rig.page->columnLayout()->footerHeight(), 30.0);
}

TEST(VideoLibraryViewController, TheNewsLinkTakesTheHeartbeatsTextColourAndWebAddress) {
    Rig rig([](ProtocolTestServer& server) {
        QJsonObject data = ProtocolTestServer::defaultHeartbeatData();
        QJsonObject msg = data["msg"].toObject();
        msg["msg_bottom"] = QJsonObject{{"msgid", 2},
                                        {"msg", "Spring sale"},
                                        {"url", "https://news.example/spring"},
                                        {"color", "#FF8000"},
                                        {"back", 0}};
        data["msg"] = msg;
        server.setHeartbeatData(data);
    });
    rig.page->show();
    EXPECT_TRUE(rig.page->newsLinkButton()->isHidden());
    rig.webModel->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000");
    ASSERT_TRUE(TestHome::waitUntil([&] { return !rig.page->newsLinkButton()->isHidden(); }));
    EXPECT_EQ(rig.page->newsLinkButton()->text(), "Spring sale");
    EXPECT_EQ(rig.page->newsLinkButton()->titleColor(), QColor(255, 128, 0));
    rig.click(rig.page->newsLinkButton());
    EXPECT_EQ(rig.opened, std::vector<QUrl>{QUrl("https://news.example/spring")});

    EXPECT_EQ(VideoLibraryViewController::scanHexInt("zz"), 0u);
    EXPECT_EQ(VideoLibraryViewController::scanHexInt("3478F6"), 0x3478F6u);
    EXPECT_EQ(VideoLibraryViewController::scanHexInt("0xff80zz"), 0xFF80u);
    EXPECT_EQ(VideoLibraryViewController::scanHexInt("123456789ABC"), 0xFFFFFFFFu);
}

TEST(VideoLibraryViewController, ANewsAddressThatIsNotOnTheWebIsNotOpened) {
    Rig rig([](ProtocolTestServer& server) {
        QJsonObject data = ProtocolTestServer::defaultHeartbeatData();
        QJsonObject msg = data["msg"].toObject();
        msg["msg_bottom"] = QJsonObject{
            {"msgid", 2}, {"msg", "x"}, {"url", "file:///etc/passwd"}, {"color", ""}, {"back", 0}};
        data["msg"] = msg;
        server.setHeartbeatData(data);
    });
    rig.webModel->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000");
    ASSERT_TRUE(TestHome::waitUntil([&] { return !rig.page->newsLinkButton()->isHidden(); }));
    rig.page->openNewsURL();
    EXPECT_TRUE(rig.opened.empty());
}

// Which file the path names now: every write of the settings replaces the file with a new one.
ino_t fileIdentity(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

float volumeOnDisk(const QString& path) {
    return UserDefaults(path).floatForKey("Volume");
}

TEST(VideoLibraryViewController, ADragOfTheVolumeSliderWritesTheSettingsAFewTimesAndItsLastValueAtRelease) {
    Rig rig;
    rig.page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(rig.page.get()));
    QSlider* slider = rig.page->volumeSlider();
    const QString file = rig.home.file("suite.ini");
    const int y = slider->height() / 2;
    // The handle of 500 of 0..1000 sits in the middle.
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, y));
    ASSERT_TRUE(slider->isSliderDown());

    int replacements = 0, steps = 0;
    ino_t identity = fileIdentity(file);
    QElapsedTimer clock;
    clock.start();
    // 100 steps back and forth over the slider, as fast as events come.
    for (int i = 0; i < 100; ++i) {
        const int value = slider->value();
        const int x = 5 + (i * 7) % (slider->width() - 10);
        QTest::mouseMove(slider, QPoint(x, y));
        steps += slider->value() != value;
        const ino_t now = fileIdentity(file);
        replacements += now != identity;
        identity = now;
    }
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(steps, 90) << "the drag moved the slider";
    EXPECT_LE(replacements, 2 + elapsed / VideoLibraryViewController::kVolumeWriteIntervalMs)
        << steps << " steps in " << elapsed << " ms";
    EXPECT_LT(replacements, 20);

    // Held still, the drag's latest value reaches the file within its turn.
    const int held = slider->value();
    EXPECT_TRUE(TestHome::waitUntil([&] { return qRound(volumeOnDisk(file) * 1000) == held; }));
    EXPECT_TRUE(slider->isSliderDown());

    // A move and the release right after it: the value let go of is on disk at once.
    QTest::mouseMove(slider, QPoint(slider->width() - 20, y));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(slider->width() - 20, y));
    const int released = slider->value();
    ASSERT_NE(released, held);
    EXPECT_EQ(qRound(volumeOnDisk(file) * 1000), released);
    EXPECT_FLOAT_EQ(rig.preferences.volume(), float(released) / 1000.0f);
    EXPECT_FALSE(rig.preferences.mute());

    // Not a drag (the keyboard): each step is written as it comes.
    slider->setFocus();
    identity = fileIdentity(file);
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_NE(fileIdentity(file), identity);
    EXPECT_EQ(qRound(volumeOnDisk(file) * 1000), slider->value());
}

TEST(VideoLibraryViewController, PlayControlsWriteTheSettingsAndFollowThem) {
    Rig rig;
    rig.page->show();
    rig.page->volumeSlider()->setValue(5);
    EXPECT_FLOAT_EQ(rig.preferences.volume(), 0.005f);
    EXPECT_TRUE(rig.preferences.mute());
    rig.page->volumeSlider()->setValue(10);
    EXPECT_FLOAT_EQ(rig.preferences.volume(), 0.01f);
    EXPECT_FALSE(rig.preferences.mute());
    EXPECT_EQ(rig.page->muteButton()->objectName(), "tray_voice_normal");
    rig.click(rig.page->muteButton());
    EXPECT_TRUE(rig.preferences.mute());
    EXPECT_EQ(rig.page->muteButton()->objectName(), "tray_mute_normal");

    rig.preferences.setIsPlaying(true);
    rig.click(rig.page->playButton());
    EXPECT_FALSE(rig.preferences.isPlaying());
    EXPECT_EQ(rig.page->playButton()->objectName(), "play_normal");

    QComboBox* models = rig.page->playModelButton();
    ASSERT_EQ(models->count(), 3);
    EXPECT_EQ(models->itemText(0), "Single Cycle");
    EXPECT_EQ(models->itemText(1), "List Cycle");
    EXPECT_EQ(models->itemText(2), "Random");
    for (int index : {2, 0, 1}) {
        models->setCurrentIndex(index);
        emit models->activated(index);
        EXPECT_EQ(rig.preferences.playModel(), index);
    }

    // The agent turns the player off: play is disabled and nothing shows as playing.
    rig.preferences.setIsOpenPlayer(false);
    EXPECT_FALSE(rig.page->playButton()->isEnabled());
    EXPECT_EQ(rig.page->nowPlayingView()->statusLabel()->text(), "No Video Played");
}

TEST(VideoLibraryViewController, SetAsWallpaperWritesTheSignAndTurnsThePlayerOn) {
    Rig rig;
    int opens = 0;
    auto token = observe(&rig.preferences, &Preferences::isOpenPlayerChanged, &rig.preferences,
                         [&](bool) { ++opens; });
    rig.page->playVideo(VideoDetailSamples::sign(1));
    EXPECT_EQ(rig.preferences.playingVideoSign(), VideoDetailSamples::sign(1));
    EXPECT_EQ(opens, 0) << "a player already on is left alone";
    rig.preferences.setIsOpenPlayer(false);
    opens = 0;
    rig.page->playVideo(VideoDetailSamples::sign(2));
    EXPECT_TRUE(rig.preferences.isOpenPlayer());
    EXPECT_EQ(opens, 1);
}

// Synthesised drag events on the grid's viewport.
struct Dragging {
    QMimeData data;
    explicit Dragging(const QStringList& files) {
        QList<QUrl> urls;
        for (const QString& file : files)
            urls.append(QUrl::fromLocalFile(file));
        data.setUrls(urls);
    }
    bool enter(QWidget* target) {
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(QPoint(30, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        return enter.isAccepted() && move.isAccepted();
    }
    void drop(QWidget* target) {
        QDropEvent drop(QPointF(30, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
    }
};

TEST(VideoLibraryViewController, ADropOnTheLocalTabImportsItsVideoFilesWhateverTheirCase) {
    Rig rig;
    rig.preferences.setAlreadyImportVideo(true);
    rig.page->show();
    QWidget* viewport = rig.page->collectionView()->viewport();
    Dragging drag({"/home/u/a.MP4", "/home/u/b.txt"});
    ASSERT_TRUE(drag.enter(viewport));
    drag.drop(viewport);
    ASSERT_EQ(rig.lists.imports.size(), 1u);
    EXPECT_EQ(rig.lists.imports[0], QList<QUrl>{QUrl::fromLocalFile("/home/u/a.MP4")});

    EXPECT_FALSE(Dragging({"/home/u/notes.txt"}).enter(viewport));
    rig.page->switchTab(rig.page->onlineTab());
    EXPECT_FALSE(Dragging({"/home/u/clip.mov"}).enter(viewport)) << "only the local tab takes files";
    rig.page->switchTab(rig.page->downloadTab());
    EXPECT_FALSE(Dragging({"/home/u/clip.mov"}).enter(viewport));
    EXPECT_EQ(rig.lists.imports.size(), 1u);
}

TEST(VideoLibraryViewController, ADropOfWebLinksOnlyRunsNoImportBatch) {
    Rig rig;
    rig.preferences.setAlreadyImportVideo(true);
    rig.page->show();
    QWidget* viewport = rig.page->collectionView()->viewport();
    Dragging drag({});
    drag.data.setUrls({QUrl("https://example.com/clip.mp4"), QUrl("http://127.0.0.1/b.MOV")});
    drag.enter(viewport);
    drag.drop(viewport);
    EXPECT_TRUE(rig.lists.imports.empty()) << "an empty batch would show the progress window";
}

TEST(VideoLibraryViewController, TheImportButtonShowsTheLocalTabBeforeImporting) {
    Rig rig;
    rig.page->show();
    rig.page->switchTab(rig.page->onlineTab());
    rig.lists.calls.clear();
    rig.click(rig.page->importVideoButton()); // cancelled
    rig.settle();
    EXPECT_TRUE(rig.lists.calls.empty());
    EXPECT_TRUE(rig.page->onlineTab()->highlight());

    rig.chooserAnswers.push_back({QUrl::fromLocalFile("/home/u/clip.mov")});
    rig.click(rig.page->importVideoButton());
    rig.settle();
    EXPECT_EQ(rig.lists.calls,
              (std::vector<std::string>{"cancel online", "bind local", "reload local from top", "import"}));
    EXPECT_TRUE(rig.page->localTab()->highlight());
    EXPECT_EQ(rig.lists.imports.back(), QList<QUrl>{QUrl::fromLocalFile("/home/u/clip.mov")});

    rig.click(rig.page->uploadButton());
    EXPECT_EQ(rig.opened.back().toString(), "https://www.zerafin.example/39.html");
}

TEST(VideoLibraryViewController, TheFirstRunImportRunsOnceAtATimeThenPlaysTheLastRow) {
    Rig rig;
    std::vector<std::string> order;
    std::vector<Disposable> tokens;
    tokens.push_back(observe(&rig.preferences, &Preferences::alreadyImportVideoChanged, &rig.preferences,
                             [&](bool) { order.push_back("imported"); }));
    tokens.push_back(observe(&rig.preferences, &Preferences::playingVideoSignChanged, &rig.preferences,
                             [&](const std::optional<QString>& sign) {
                                 order.push_back("sign " + sign.value_or("").toStdString());
                             }));
    tokens.push_back(observe(&rig.preferences, &Preferences::isOpenPlayerChanged, &rig.preferences,
                             [&](bool open) { order.push_back(open ? "player on" : "player off"); }));

    rig.page->show();
    ASSERT_EQ(rig.lists.imports.size(), 1u);
    EXPECT_EQ(rig.samplesFound.size(), 6u);
    EXPECT_EQ(rig.lists.imports[0], (QList<QUrl>{QUrl::fromLocalFile("/samples/Test Card.mp4"),
                                                 QUrl::fromLocalFile("/samples/Gradient.mp4")}));
    // Shown again while the batch runs: no second batch.
    rig.page->hide();
    rig.page->show();
    EXPECT_EQ(rig.lists.imports.size(), 1u);
    EXPECT_TRUE(rig.page->isImportingDefaultVideos());

    rig.database.insert(VideoDetailSamples::video(1));
    rig.database.insert(VideoDetailSamples::video(2));
    rig.page->switchTab(rig.page->downloadTab());
    rig.lists.importCompletions[0]();
    ASSERT_TRUE(TestHome::waitUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<std::string>{
                         "imported", "sign " + VideoDetailSamples::sign(2).toStdString(), "player on"}));
    EXPECT_TRUE(rig.page->localTab()->highlight());

    rig.page->hide();
    rig.page->show();
    EXPECT_EQ(rig.lists.imports.size(), 1u) << "never again once done";
}

TEST(VideoLibraryViewController, ClickingThePlayingTitleSelectsItInTheLocalListAfterTheSwitch) {
    Rig rig;
    rig.preferences.setAlreadyImportVideo(true);
    rig.page->show();
    rig.lists.pendingSigns = {VideoDetailSamples::sign(1), VideoDetailSamples::sign(2),
                              VideoDetailSamples::sign(3)};
    rig.page->switchTab(rig.page->downloadTab());
    rig.settle();
    rig.lists.signs.clear(); // the download tab shows no local rows
    rig.page->selectPlayingVideo(VideoDetailSamples::sign(2));
    EXPECT_TRUE(rig.page->localTab()->highlight());
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return !rig.page->collectionView()->indexPathsForSelectedItems().isEmpty(); }));
    EXPECT_EQ(rig.page->collectionView()->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(1)});

    // Nothing matches: nothing changes.
    rig.page->selectPlayingVideo(std::nullopt);
    rig.page->selectPlayingVideo(VideoDetailSamples::sign(9));
    rig.settle();
    EXPECT_EQ(rig.page->collectionView()->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(1)});
}

TEST(VideoLibraryViewController, TheDetailPaneShowsWhatTheListsSelectOnALaterTurn) {
    Rig rig;
    const VideoDetail video = VideoDetailSamples::video(3);
    rig.lists.detailChanged(video);
    EXPECT_FALSE(rig.page->detailView()->videoDetail().has_value());
    rig.settle();
    ASSERT_TRUE(rig.page->detailView()->videoDetail().has_value());
    EXPECT_EQ(rig.page->detailView()->videoDetail()->sign, video.sign);

    rig.page->filterOnlineList("Mira");
    EXPECT_EQ(rig.lists.calls.back(), "author Mira");
    rig.page->downloadVideo(video);
    EXPECT_TRUE(rig.downloads->contains(video.sign));
    rig.page->showDownloadTab();
    EXPECT_TRUE(rig.page->downloadTab()->highlight());
}

} // namespace

namespace {
const QStringList eightTags{"nightscape", "space", "city", "autumn", "ocean", "abstract", "rain", "forest"};

// The bottom bar with eight tags, a news line and the player on, laid out at the page's width in
// the main window (default 1180 or minimum 1000, less the 160 of the side bar).
struct BottomBarRig : Rig {
    explicit BottomBarRig(int width)
        : Rig([](ProtocolTestServer& server) {
              server.setHotTags(eightTags);
              QJsonObject data = ProtocolTestServer::defaultHeartbeatData();
              QJsonObject msg = data["msg"].toObject();
              msg["msg_bottom"] = QJsonObject{{"msgid", 2},
                                              {"msg", "New wallpapers every week"},
                                              {"url", "https://news.example/"},
                                              {"color", "#FF8000"},
                                              {"back", 0}};
              data["msg"] = msg;
              server.setHeartbeatData(data);
          }) {
        preferences.setAlreadyImportVideo(true);
        page->resize(width, 640);
        page->show();
        webModel->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000");
        EXPECT_TRUE(TestHome::waitUntil(
            [&] { return page->hottagsView()->tagCount() == 8 && !page->newsLinkButton()->isHidden(); }));
        settle();
    }
    // Every visible part of the bar, the tags one by one, in the bar's coordinates.
    std::vector<std::pair<QWidget*, QRect>> parts() const {
        std::vector<std::pair<QWidget*, QRect>> found;
        QWidget* bar = page->bottomArea();
        for (QWidget* part : std::initializer_list<QWidget*>{
                 page->nowPlayingView(), page->playButton(), page->muteButton(), page->volumeSlider(),
                 page->playModelButton(), page->pageStatus(), page->newsLinkButton()})
            if (part->isVisible())
                found.emplace_back(part, QRect(part->mapTo(bar, QPoint(0, 0)), part->size()));
        for (QPushButton* tag : page->hotTagButtons())
            found.emplace_back(tag, QRect(tag->mapTo(bar, QPoint(0, 0)), tag->size()));
        return found;
    }
};

void expectATidyBar(BottomBarRig& rig, const char* size) {
    SCOPED_TRACE(size);
    const QRect bar = rig.page->bottomArea()->rect();
    const auto parts = rig.parts();
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(bar.contains(parts[i].second)) << parts[i].first->metaObject()->className();
        for (size_t j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i].second.intersects(parts[j].second))
                << parts[i].first->metaObject()->className() << " overlaps "
                << parts[j].first->metaObject()->className();
    }
    // Nothing is squeezed: each tag and the news line at their own width.
    for (QPushButton* tag : rig.page->hotTagButtons())
        EXPECT_EQ(tag->width(), tag->sizeHint().width()) << tag->text().toStdString();
    EXPECT_EQ(rig.page->newsLinkButton()->width(), rig.page->newsLinkButton()->sizeHint().width());
}
} // namespace

TEST(VideoLibraryViewController, TheBottomBarShowsWholeTagsFromTheRightAndNothingOverlapsAtTheMinimumSize) {
    BottomBarRig wide(1020);
    const auto tags = wide.page->hotTagButtons();
    ASSERT_GE(tags.size(), 3);
    ASSERT_LT(tags.size(), 8) << "eight tags do not all fit beside the news line";
    // Right to left in the reply's order, touching, the first at the row's right edge.
    for (int i = 0; i < tags.size(); ++i)
        EXPECT_EQ(tags[i]->text(), eightTags[int(tags.size()) - 1 - i]);
    EXPECT_EQ(tags.last()->geometry().right(), wide.page->hottagsView()->width() - 1);
    for (int i = 0; i + 1 < tags.size(); ++i)
        EXPECT_EQ(tags[i]->geometry().right() + 1, tags[i + 1]->geometry().left());
    EXPECT_GE(tags.first()->geometry().left(), 0);
    expectATidyBar(wide, "default size");

    BottomBarRig narrow(840);
    EXPECT_LT(narrow.page->hotTagButtons().size(), tags.size());
    expectATidyBar(narrow, "minimum size");
}

TEST(VideoLibraryViewController, ThePlayControlsStayPutWhateverThePlayingTitle) {
    Rig rig;
    rig.preferences.setAlreadyImportVideo(true);
    VideoDetail shortTitle = VideoDetailSamples::video(1);
    shortTitle.title = "Sea";
    VideoDetail longTitle = VideoDetailSamples::video(2);
    longTitle.title = "A very long title of a wallpaper video that no bottom bar could ever show whole";
    ASSERT_TRUE(rig.database.insert(shortTitle));
    ASSERT_TRUE(rig.database.insert(longTitle));
    rig.preferences.setPlayingVideoSign(shortTitle.sign);
    rig.page->show();
    rig.settle();
    const int playAt = rig.page->playButton()->x();
    const int nowPlayingWidth = rig.page->nowPlayingView()->width();

    rig.preferences.setPlayingVideoSign(longTitle.sign);
    rig.settle();
    EXPECT_EQ(rig.page->playButton()->x(), playAt);
    EXPECT_EQ(rig.page->nowPlayingView()->width(), nowPlayingWidth);
    rig.preferences.setIsOpenPlayer(false);
    rig.settle();
    EXPECT_EQ(rig.page->playButton()->x(), playAt);
}
