#include "DesktopFileRevealer.h"
#include "DesktopUrlOpener.h"
#include "MarkupProbe.h"
#include "MessageBoxAlertPresenter.h"
#include "PopupMenuPresenter.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

// A file manager on the test's private session bus that records what it is asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;
    QString startupId = "unset";

public slots:
    void ShowItems(const QStringList& uris, const QString& startup) {
        shown << uris;
        startupId = startup;
    }
};

TEST(UrlOpenerTest, OnlyHttpAndHttpsAddressesWithAHostAreOpened) {
    EXPECT_TRUE(UrlOpener::isWebAddress(QUrl("http://example.org/a")));
    EXPECT_TRUE(UrlOpener::isWebAddress(QUrl("HTTPS://example.org")));
    EXPECT_FALSE(UrlOpener::isWebAddress(QUrl("file:///etc/passwd")));
    EXPECT_FALSE(UrlOpener::isWebAddress(QUrl("javascript:alert(1)")));
    EXPECT_FALSE(UrlOpener::isWebAddress(QUrl("ftp://example.org/a")));
    EXPECT_FALSE(UrlOpener::isWebAddress(QUrl("http:///nohost")));
    EXPECT_FALSE(UrlOpener::isWebAddress(QUrl()));
    DesktopUrlOpener opener;
    EXPECT_FALSE(opener.openUrl(QUrl("file:///etc/passwd")));
    EXPECT_FALSE(opener.openUrl(QUrl("smb://server/share")));
}

TEST(FileRevealerTest, AsksTheFileManagerOnTheSessionBusToShowTheFile) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected());
    FakeFileManager manager;
    ASSERT_TRUE(
        bus.registerObject("/org/freedesktop/FileManager1", &manager, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.FileManager1"));
    TestHome home;
    const QString path = home.file("my clip é.mp4");
    DesktopFileRevealer revealer;
    revealer.revealFile(path);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager.shown.size() == 1; }));
    EXPECT_EQ(QUrl(manager.shown[0]).toLocalFile(), path);
    EXPECT_TRUE(manager.shown[0].startsWith("file:///"));
    EXPECT_EQ(manager.startupId, "");
    bus.unregisterService("org.freedesktop.FileManager1");
    bus.unregisterObject("/org/freedesktop/FileManager1");
}

TEST(AlertPresenterTest, ConfirmationIsAWindowModalWarningAnsweredByButtonIndex) {
    QWidget window;
    window.resize(400, 300);
    window.show();
    MessageBoxAlertPresenter alerts;
    int answer = -2;
    alerts.confirm(&window, "Are you sure to clear all the videos", {"Cancel", "OK"},
                   AlertPresenter::Style::warning, [&](int button) { answer = button; });
    auto* box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->text(), "Are you sure to clear all the videos");
    QStringList titles;
    QPushButton* ok = nullptr;
    for (QAbstractButton* button : box->buttons()) {
        titles << button->text();
        if (button->text() == "OK")
            ok = qobject_cast<QPushButton*>(button);
    }
    EXPECT_TRUE(titles.contains("Cancel") && titles.contains("OK"));
    EXPECT_EQ(box->defaultButton()->text(), "Cancel");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(answer, 1);

    answer = -2;
    alerts.confirm(&window, "Again", {"Cancel", "OK"}, AlertPresenter::Style::warning,
                   [&](int b) { answer = b; });
    TestHome::spin(20ms);
    auto* second = window.findChild<QMessageBox*>();
    ASSERT_NE(second, nullptr);
    QTest::keyClick(second, Qt::Key_Escape);
    EXPECT_EQ(answer, 0) << "Escape answers the first button";
}

// A message may carry a name from outside: it shows as written, and markup in it loads nothing.
TEST(AlertPresenterTest, MessagesShowAsWrittenAndOpenNothing) {
    TestHome home;
    MarkupProbe probe(home.path());
    QWidget window;
    window.resize(400, 300);
    window.show();
    MessageBoxAlertPresenter alerts;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->grab();
        shown = MarkupProbe::shownByLabel(box->text(), box->textFormat());
        box->accept();
    });
    alerts.showMessage(probe.text());
    EXPECT_EQ(shown, probe.text());

    alerts.confirm(&window, probe.text(), {"Cancel", "OK"}, AlertPresenter::Style::warning, [](int) {});
    auto* box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    box->grab();
    EXPECT_EQ(MarkupProbe::shownByLabel(box->text(), box->textFormat()), probe.text());
    EXPECT_EQ(probe.opened().join(", ").toStdString(), "");
    box->reject();
}

// Return must never answer a destructive "OK": the first button is the default, also when the
// focus sits on another button.
TEST(AlertPresenterTest, ReturnAnswersTheFirstButton) {
    QWidget window;
    window.resize(400, 300);
    window.show();
    MessageBoxAlertPresenter alerts;
    for (const bool focusOk : {false, true}) {
        int answer = -2;
        alerts.confirm(&window, "Are you sure to clear all the videos", {"Cancel", "OK"},
                       AlertPresenter::Style::warning, [&](int button) { answer = button; });
        TestHome::spin(20ms);
        QMessageBox* box = nullptr;
        for (QMessageBox* candidate : window.findChildren<QMessageBox*>())
            if (candidate->isVisible())
                box = candidate;
        ASSERT_NE(box, nullptr);
        QAbstractButton* ok = nullptr;
        for (QAbstractButton* button : box->buttons())
            if (button->text() == "OK")
                ok = button;
        ASSERT_NE(ok, nullptr);
        if (focusOk)
            ok->setFocus();
        QTest::keyClick(focusOk ? static_cast<QWidget*>(ok) : box, Qt::Key_Return);
        EXPECT_EQ(answer, 0) << (focusOk ? "with the focus on OK" : "with the focus left alone");
        TestHome::spin(20ms);
    }
}

TEST(MenuPresenterTest, PopsUpTheItemsInOrderAndRunsTheChosenOne) {
    QWidget view;
    view.resize(300, 300);
    view.show();
    PopupMenuPresenter menus;
    QString chosen;
    menus.popUp({{"Preview", [&] { chosen = "Preview"; }}, {"Download Menu", [&] { chosen = "Download"; }}},
                &view, QPoint(20, 30));
    auto* menu = view.findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(TestHome::waitUntil([&] { return menu->isVisible(); }));
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), "Preview");
    EXPECT_EQ(menu->actions()[1]->text(), "Download Menu");
    menu->actions()[1]->trigger();
    EXPECT_EQ(chosen, "Download");
}

#include "DesktopServicesTest.moc"
