#include "AgentArtwork.h"
#include "CustomAlertWindowController.h"
#include "MarkupProbe.h"
#include "TestHome.h"
#include "UpgradeWindow.h"
#include "UpgradeWindowController.h"
#include <QTextEdit>

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTextBlock>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
// Stands in for the browser: records every address the program asks the desktop to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        for (const char* scheme : {"http", "https", "file", "ftp", "javascript", "mailto"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"http", "https", "file", "ftp", "javascript", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    std::vector<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

UpgradeInfo info(const QString& url, const QString& ver, const QString& exp) {
    return UpgradeInfo{url, QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"), ver, exp};
}

QString firstLine(QTextEdit* view) {
    return view->document()->firstBlock().text();
}

// Whether the document holds picture data for the address beyond the blank stand-in.
bool holdsPicture(QTextDocument* document, const QUrl& url) {
    const QVariant data = document->resource(QTextDocument::ImageResource, url);
    if (data.userType() == QMetaType::QByteArray)
        return !data.toByteArray().isEmpty();
    if (data.userType() == QMetaType::QImage)
        return data.value<QImage>().size() != QSize(1, 1);
    if (data.userType() == QMetaType::QPixmap)
        return data.value<QPixmap>().size() != QSize(1, 1);
    return data.isValid();
}
} // namespace

TEST(UpgradeWindowController, WithoutAnUpdateShowsVersionOneAndNoNotes) {
    UpgradeWindowController controller;
    controller.showWindow();
    ASSERT_TRUE(controller.infoLabel());
    EXPECT_EQ(controller.infoLabel()->toPlainText(), "Version: 1.0\n");
    EXPECT_TRUE(controller.window()->isVisible());
}

TEST(UpgradeWindowController, ShowsTheVersionLineAndTheNotesTogether) {
    UpgradeWindowController controller;
    controller.setUpgradeInfo(info("https://www.zerafin.example/get", "1.3.0.2",
                                   "<p>Faster <b>start</b></p><ul><li>Fixes</li></ul>"));
    controller.showWindow();
    QTextEdit* notes = controller.infoLabel();
    EXPECT_EQ(firstLine(notes), "Version: 1.3.0.2");
    const QString text = notes->toPlainText();
    EXPECT_TRUE(text.contains("Faster start")) << text.toStdString();
    EXPECT_TRUE(text.contains("Fixes"));
    EXPECT_FALSE(text.contains("<b>"));
    // Notes that are not HTML keep their line breaks.
    UpgradeWindowController plain;
    plain.setUpgradeInfo(info("", "2", "one\ntwo"));
    plain.window();
    EXPECT_EQ(plain.infoLabel()->toPlainText(), "Version: 2\none\ntwo");
}

TEST(UpgradeWindowController, ReleaseNotesLoadNothingAndFollowNoLinks) {
    TestHome home;
    const QString picture = home.file("local.png");
    ASSERT_TRUE(AgentArtwork::image("corvex_statusBar", QSize(8, 8)).save(picture));
    UpgradeWindowController controller;
    controller.setUpgradeInfo(info("https://www.zerafin.example/get", "1.3",
                                   "<img src=\"" + QUrl::fromLocalFile(picture).toString() +
                                       "\"><img src=\"http://127.0.0.1:9/x.png\"><img "
                                       "src=\"data:image/png;base64,iVBORw0KGgo=\"><a href=\"https://"
                                       "www.zerafin.example/news\">news</a>"));
    controller.window();
    QTextDocument* document = controller.infoLabel()->document();
    EXPECT_FALSE(holdsPicture(document, QUrl::fromLocalFile(picture)));
    EXPECT_FALSE(holdsPicture(document, QUrl("http://127.0.0.1:9/x.png")));
    EXPECT_FALSE(controller.infoLabel()->textInteractionFlags() & Qt::LinksAccessibleByMouse);
    EXPECT_FALSE(controller.infoLabel()->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
}

TEST(UpgradeWindowController, ShowingTheNotesReadsNoLocalPicture) {
    TestHome home;
    const QString picture = home.file("secret.png");
    ASSERT_TRUE(AgentArtwork::image("corvex_statusBar", QSize(300, 200)).save(picture));
    // The text layout asks for every picture's size; a path or a file address must not be read
    // from disk even then.
    for (const QString& source : {picture, QUrl::fromLocalFile(picture).toString()}) {
        UpgradeWindowController controller;
        controller.setUpgradeInfo(
            info("https://www.zerafin.example/get", "1.3", "<img src=\"" + source + "\">"));
        controller.showWindow();
        QTextDocument* document = controller.infoLabel()->document();
        document->setTextWidth(400);
        const QSizeF laidOut = document->documentLayout()->documentSize();
        controller.infoLabel()->repaint();
        EXPECT_LT(laidOut.height(), 150) << source.toStdString();
        EXPECT_FALSE(holdsPicture(document, QUrl(picture)));
        EXPECT_FALSE(holdsPicture(document, QUrl::fromLocalFile(picture)));
    }
}

// Notes and a version naming a FIFO and a picture: the window opens neither, and the version line
// shows as written.
TEST(UpgradeWindowController, NotesAndVersionNamingLocalFilesOpenNothing) {
    TestHome home;
    MarkupProbe probe(home.path());
    UpgradeWindowController controller;
    controller.setUpgradeInfo(info("https://www.zerafin.example/get", probe.text(),
                                   probe.text() + "<link rel=\"stylesheet\" href=\"" + probe.fifoPath() +
                                       "\"><p style=\"background-image: url(" + probe.fifoPath() +
                                       ")\">x</p>"));
    controller.showWindow();
    controller.infoLabel()->document()->setTextWidth(400);
    controller.infoLabel()->document()->documentLayout()->documentSize();
    controller.window()->grab();
    EXPECT_EQ(firstLine(controller.infoLabel()), "Version: " + probe.text());
    EXPECT_EQ(probe.opened().join(", ").toStdString(), "");
    controller.close();
}

TEST(UpgradeWindow, OpensOnlyWebAddressesAndClosesInEveryCase) {
    UrlRecorder browser;
    const std::vector<std::pair<QString, bool>> cases = {
        {"https://www.zerafin.example/download/ZerafinVideoDesktop.dmg", true},
        {"http://127.0.0.1:8765/get", true},
        {"", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"ftp://www.zerafin.example/x", false},
        {"https://", false},
        {"not a url at all", false},
    };
    for (const auto& [url, opens] : cases) {
        browser.opened.clear();
        UpgradeWindowController controller;
        controller.setUpgradeInfo(info(url, "9", ""));
        controller.showWindow();
        ASSERT_TRUE(controller.window()->isVisible());
        controller.upgradeButton()->click();
        EXPECT_FALSE(controller.window()->isVisible()) << url.toStdString();
        ASSERT_EQ(browser.opened.size(), opens ? 1u : 0u) << url.toStdString();
        if (opens) {
            EXPECT_EQ(browser.opened.front(), QUrl(url));
        }
    }
    // No update at all: nothing opens, the panel still closes.
    UpgradeWindowController empty;
    empty.showWindow();
    empty.window()->openUpdate();
    EXPECT_FALSE(empty.window()->isVisible());
    EXPECT_TRUE(browser.opened.empty());
}

TEST(UpgradeWindow, TheCloseCommandClosesAtOnce) {
    for (QKeySequence::StandardKey key : {QKeySequence::Close, QKeySequence::Cancel}) {
        UpgradeWindowController controller;
        controller.showWindow();
        const QKeySequence sequence(key);
        ASSERT_FALSE(sequence.isEmpty());
        QKeyEvent press(QEvent::KeyPress, sequence[0].key(), sequence[0].keyboardModifiers());
        QCoreApplication::sendEvent(controller.window(), &press);
        EXPECT_FALSE(controller.window()->isVisible());
    }
}

TEST(CustomAlertWindowController, OffersTheCloseButtonAloneAndItsButtonCloses) {
    CustomAlertWindowController alert;
    EXPECT_FALSE(alert.isWindowLoaded());
    EXPECT_EQ(alert.titleLabel(), nullptr);
    alert.loadWindow();
    ASSERT_TRUE(alert.titleLabel());
    ASSERT_TRUE(alert.infoLabel());
    const Qt::WindowFlags flags = alert.window()->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowFullscreenButtonHint);
    alert.showWindow();
    EXPECT_TRUE(alert.window()->isVisible());
    for (QLabel* label : {alert.titleLabel(), alert.infoLabel()})
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << "texts show as written";
    auto* button = alert.window()->findChild<QPushButton*>("okButton");
    ASSERT_TRUE(button);
    button->click();
    EXPECT_FALSE(alert.window()->isVisible());
}

TEST(AgentArtwork, PaintsBothNamedImagesAndAMaskIcon) {
    const QImage icon = AgentArtwork::image("corvex_statusBar", QSize(22, 22));
    ASSERT_FALSE(icon.isNull());
    // A mask: only black and transparent pixels, with some of each.
    int opaque = 0, clear = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            const QColor c = icon.pixelColor(x, y);
            if (c.alpha() == 0)
                ++clear;
            else {
                ++opaque;
                EXPECT_EQ(c.red() + c.green() + c.blue(), 0);
            }
        }
    EXPECT_GT(opaque, 40);
    EXPECT_GT(clear, 40);
    EXPECT_TRUE(AgentArtwork::statusBarIcon().isMask());
    EXPECT_FALSE(AgentArtwork::image("upgrade_back_ground", QSize(480, 320)).isNull());
    EXPECT_TRUE(AgentArtwork::image("no_such_picture", QSize(10, 10)).isNull());
}

#include "UpdateWindowsTest.moc"
