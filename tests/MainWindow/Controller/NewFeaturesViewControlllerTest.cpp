#include "NewFeaturesViewControlller.h"
#include "AppInfo.h"
#include "NewFeatureModel.h"
#include "NotificationCenter.h"
#include "ProtocolTestServer.h"
#include "RecordingUrlOpener.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "WebModel.h"

#include <QJsonArray>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
struct NewFeaturesTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(server.start());
        suite = std::make_unique<UserDefaults>(home.file("suite.ini"));
        standard = std::make_unique<UserDefaults>(home.file("standard.ini"));
        WebModel::Options options;
        options.baseURL = server.baseUrl();
        options.standardDefaults = standard.get();
        options.suite = suite.get();
        options.notifications = &notifications;
        options.scheduleRefreshes = false;
        web = std::make_unique<WebModel>(options);
        page = std::make_unique<NewFeaturesViewControlller>(*web, notifications, opener);
        page->resize(800, 600);
        page->show();
    }
    // Has the server's guide delivered, as the main window asks for it.
    void deliverGuide(const QStringList& links) {
        const QString picture =
            "data:image/png;base64," + QString::fromLatin1(ProtocolTestServer::samplePng().toBase64());
        QJsonArray pictures, urls;
        for (const QString& link : links) {
            pictures << picture;
            urls << link;
        }
        QJsonObject guide = ProtocolTestServer::defaultGuideData();
        guide["newFeature"] = pictures;
        guide["newFeatureUrl"] = urls;
        server.setGuideData(guide);
        bool arrived = false;
        auto token =
            notifications.addObserver("NewFeatureUpdated", [&](const Notification&) { arrived = true; });
        web->requestGuideInfo();
        ASSERT_TRUE(TestHome::waitUntil([&] { return arrived; }));
    }
    void clickItem(int row) {
        QListWidget* view = page->collectionView();
        const QRect box = view->visualItemRect(view->item(row));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
    }

    TestHome home;
    ProtocolTestServer server;
    NotificationCenter notifications;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<UserDefaults> standard;
    std::unique_ptr<WebModel> web;
    RecordingUrlOpener opener;
    std::unique_ptr<NewFeaturesViewControlller> page;
};
} // namespace

TEST_F(NewFeaturesTest, BeforeTheGuideSevenBuiltInPicturesEachOpenTheWebSite) {
    const auto& items = page->newFeatureModelArray();
    ASSERT_EQ(items.size(), 7);
    for (NewFeatureModel* item : items) {
        EXPECT_FALSE(item->imageData().isNull());
        EXPECT_EQ(item->url(), AppInfo::webSiteURL());
    }
    EXPECT_EQ(page->collectionView()->count(), 7);
    clickItem(3);
    EXPECT_EQ(opener.opened, QList<QUrl>{AppInfo::webSiteURL()});
    // The selection stays: the same picture again opens nothing more.
    clickItem(3);
    EXPECT_EQ(opener.opened.size(), 1);
}

TEST_F(NewFeaturesTest, TheGuidesPicturesReplaceThemAndOnlyWebPagesOpen) {
    deliverGuide({"https://www.zerafin.example/new/1", "file:///home/user/.bashrc"});
    const auto& items = page->newFeatureModelArray();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(page->collectionView()->count(), 2);
    clickItem(0);
    EXPECT_EQ(opener.opened, QList<QUrl>{QUrl("https://www.zerafin.example/new/1")});
    clickItem(1);
    EXPECT_EQ(opener.opened.size(), 1);

    // An empty selection opens nothing; an empty guide gives an empty page.
    page->collectionView()->clearSelection();
    EXPECT_EQ(opener.opened.size(), 1);
    deliverGuide({});
    EXPECT_TRUE(page->newFeatureModelArray().isEmpty());
    EXPECT_EQ(page->collectionView()->count(), 0);
}

TEST_F(NewFeaturesTest, AGuideThatDoesNotDecodeChangesNothing) {
    server.setRawReply("214", "not a reply");
    bool arrived = false;
    auto token = notifications.addObserver("NewFeatureUpdated", [&](const Notification&) { arrived = true; });
    web->requestGuideInfo();
    ASSERT_TRUE(TestHome::waitUntil([&] { return arrived; }));
    EXPECT_EQ(page->newFeatureModelArray().size(), 7);
}
