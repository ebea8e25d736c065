#include "AboutViewController.h"
#include "AppInfo.h"
#include "ButtonWithLinkTitle.h"
#include "FeedbackWindowController.h"
#include "NotificationCenter.h"
#include "ProtocolTestServer.h"
#include "QRCodeController.h"
#include "RecordingUrlOpener.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "WebModel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
struct AboutTest : ::testing::Test {
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
        about = std::make_unique<AboutViewController>(opener, *web);
        about->resize(700, 500);
        about->show();
    }
    void TearDown() override {
        if (about->feedback())
            about->feedback()->close();
    }
    FeedbackWindowController& openFeedback() {
        QTest::mouseClick(about->feedbackButton(), Qt::LeftButton);
        return *about->feedback();
    }
    // The feedback requests the server got: (type, content, contact).
    QList<QJsonObject> feedbacks() {
        TestHome::spin(std::chrono::milliseconds(100));
        QList<QJsonObject> all;
        for (const auto& request : server.requestsFor("26"))
            all << request.object();
        return all;
    }

    TestHome home;
    ProtocolTestServer server;
    NotificationCenter notifications;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<UserDefaults> standard;
    std::unique_ptr<WebModel> web;
    RecordingUrlOpener opener;
    std::unique_ptr<AboutViewController> about;
};
} // namespace

TEST_F(AboutTest, ThePageShowsTheVersionAndItsLinksOpenTheirPages) {
    EXPECT_EQ(about->versionLabel()->text(), "Version: " + AppInfo::displayVersion());
    EXPECT_EQ(AboutViewController::version(), "Version: 1.2.0(16)");
    EXPECT_EQ(about->websiteButton()->text(), "https://www.zerafin.example");
    EXPECT_EQ(about->bbsButton()->text(), "https://forum.zerafin.example");
    EXPECT_EQ(about->termsAndConditions()->text(), "Terms and Conditions");

    QTest::mouseClick(about->websiteButton(), Qt::LeftButton);
    QTest::mouseClick(about->bbsButton(), Qt::LeftButton);
    QTest::mouseClick(about->termsAndConditions(), Qt::LeftButton);
    QTest::mouseClick(about->groupButton(), Qt::LeftButton);
    EXPECT_EQ(opener.opened,
              (QList<QUrl>{QUrl("https://www.zerafin.example"), QUrl("https://forum.zerafin.example"),
                           QUrl("https://www.zerafin.example/60.html"),
                           QUrl("https://www.zerafin.example/65.html")}));
}

TEST_F(AboutTest, ALinkTitleThatIsNoAddressOpensTheWebSite) {
    about->bbsButton()->setText("our forum");
    QTest::mouseClick(about->bbsButton(), Qt::LeftButton);
    EXPECT_EQ(opener.opened, QList<QUrl>{AppInfo::webSiteURL()});
}

TEST_F(AboutTest, AnEmptyFeedbackIsOutlinedInRedAndNotSent) {
    FeedbackWindowController& form = openFeedback();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowFlags() & Qt::WindowMinMaxButtonsHint, 0);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    // A dialog of one size: window managers offer neither minimise nor maximise for it.
    EXPECT_EQ(form.windowType(), Qt::Dialog);
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    QTest::mouseClick(form.submitButton(), Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.contentBorderWidth(), 1.0);
    EXPECT_TRUE(form.contentTextView()->styleSheet().contains("red"));
    EXPECT_TRUE(feedbacks().isEmpty());

    // Typing and sending again sends once and closes.
    QTest::keyClicks(form.contentTextView(), "Please add a timer");
    QTest::keyClicks(form.contactTextField(), "me@example.org");
    QTest::mouseClick(form.submitButton(), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    ASSERT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("26").size() == 1; }));
    const QJsonObject sent = feedbacks().first();
    EXPECT_EQ(sent.value("content").toString(), "Please add a timer");
    EXPECT_EQ(sent.value("contact").toString(), "me@example.org");
    EXPECT_EQ(sent.value("type").toVariant().toInt(), FeedbackWindowController::suggestionTag);
}

TEST_F(AboutTest, BlanksAreTextAndAreSent) {
    FeedbackWindowController& form = openFeedback();
    QTest::keyClicks(form.contentTextView(), "   ");
    QTest::mouseClick(form.submitButton(), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("26").size() == 1; }));
}

TEST_F(AboutTest, ReopeningGivesAnEmptyFormWhoseShownKindIsTheKindSent) {
    FeedbackWindowController& form = openFeedback();
    QTest::mouseClick(form.submitButton(), Qt::LeftButton); // red outline
    QTest::mouseClick(form.bugButton(), Qt::LeftButton, {}, QPoint(6, form.bugButton()->height() / 2));
    EXPECT_EQ(form.type(), FeedbackWindowController::bugTag);
    QTest::keyClicks(form.contentTextView(), "It crashes");
    QTest::mouseClick(form.submitButton(), Qt::LeftButton);
    ASSERT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("26").size() == 1; }));
    EXPECT_EQ(feedbacks().first().value("type").toVariant().toInt(), FeedbackWindowController::bugTag);

    FeedbackWindowController& again = openFeedback();
    EXPECT_EQ(&again, &form);
    EXPECT_TRUE(again.isVisible());
    EXPECT_TRUE(again.contentTextView()->toPlainText().isEmpty());
    EXPECT_TRUE(again.contactTextField()->text().isEmpty());
    EXPECT_TRUE(again.suggestionButton()->isChecked());
    EXPECT_EQ(again.contentBorderWidth(), 0);
    // The suggestion shown is the suggestion sent.
    QTest::keyClicks(again.contentTextView(), "An idea");
    QTest::mouseClick(again.submitButton(), Qt::LeftButton);
    ASSERT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("26").size() == 2; }));
    EXPECT_EQ(feedbacks().last().value("type").toVariant().toInt(), FeedbackWindowController::suggestionTag);
}

TEST(QRCodeWindow, ShowsThePictureWithACloseButtonOnly) {
    QRCodeController window;
    EXPECT_FALSE(window.pictureLabel()->pixmap().isNull());
    EXPECT_EQ(window.windowFlags() & Qt::WindowMinMaxButtonsHint, 0);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    // A dialog of one size: window managers offer neither minimise nor maximise for it.
    EXPECT_EQ(window.windowType(), Qt::Dialog);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
}
