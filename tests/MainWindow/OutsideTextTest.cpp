#include "ButtonWithColorfulLink.h"
#include "ButtonWithLinkTitle.h"
#include "HotTagsView.h"
#include "MainWindowTestRig.h"
#include "MarkupProbe.h"
#include "NowPlayingView.h"
#include "ProtocolTestServer.h"
#include "SearchField.h"
#include "SuggestionsWindowController.h"
#include "TabTitleView.h"
#include "VideoDetailSamples.h"
#include "VideoDetailView.h"
#include "ZFCollectionView.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

constexpr std::chrono::seconds kPatience(15);

// Every text field of a record holds the probe's markup; the sign stays a sign.
QJsonObject hostileRecord(const QString& sign, const QString& text) {
    QJsonObject record = ProtocolTestServer::videoRecord(sign, text);
    for (auto it = record.begin(); it != record.end(); ++it)
        if (it.key() != QLatin1String("sign") && it.value().isString())
            it.value() = text;
    return record;
}

VideoDetail hostileRow(const QString& sign, const QString& text) {
    VideoDetail video = VideoDetailSamples::video(sign);
    for (QString* field : {&video.preurl, &video.title, &video.description, &video.imgurl, &video.tags,
                           &video.ratio, &video.uptime, &video.author, &video.avatar, &video.hp})
        *field = text;
    return video;
}

// The widget's class and name, then its parents'.
QString widgetName(const QWidget* widget) {
    QStringList names;
    for (const QWidget* at = widget; at; at = at->parentWidget())
        names << QString::fromLatin1(at->metaObject()->className()) +
                     (at->objectName().isEmpty() ? QString() : QLatin1Char('#') + at->objectName());
    return names.join(QLatin1String(" < "));
}

// The text a button shows: buttons that paint their own title draw it as it is, the others as
// the style draws a title, with mnemonics.
QString shownByButton(const QAbstractButton* button) {
    if (qobject_cast<const ButtonWithColorfulLink*>(button) ||
        qobject_cast<const ButtonWithLinkTitle*>(button))
        return button->text();
    return MarkupProbe::shownByButton(button->text());
}

// The main window on the protocol test server, where every record field, category, hot tag, hot
// key, suggestion and news text holds markup naming the probe's files; the library, the download
// list and the search history hold the same.
struct HostileWindow {
    TestHome scratch;
    MarkupProbe probe{scratch.path()};
    // Hot tags show only when they fit whole: the short form names the FIFO alone.
    QString tag = QStringLiteral("<img src=\"%1\">&x").arg(probe.fifoPath());
    ProtocolTestServer server;
    std::unique_ptr<MainWindowTestRig> rig;
    QString localSign = VideoDetailSamples::sign(1);
    QStringList checked; // what the sweeps looked at, for the record of a failure

    HostileWindow() {
        EXPECT_TRUE(server.start());
        const QString text = probe.text();
        for (int i = 0; i < 3; ++i)
            server.addVideo(hostileRecord(ProtocolTestServer::signOf(QByteArray::number(i)), text));
        server.setCategories(QJsonArray{QJsonObject{{"id", 4}, {"title", text}}});
        server.setHotTags({tag});
        server.setHotKeys({text});
        server.setKeywords({text});
        QJsonObject heartbeat = ProtocolTestServer::defaultHeartbeatData();
        QJsonObject msg = heartbeat["msg"].toObject();
        msg["msg_bottom"] =
            QJsonObject{{"msgid", 5}, {"msg", text}, {"url", text}, {"color", "#FF8000"}, {"back", 0}};
        heartbeat["msg"] = msg;
        server.setHeartbeatData(heartbeat);

        MainWindowTestRig::Options options;
        options.serverUrl = server.baseUrl();
        rig = std::make_unique<MainWindowTestRig>(options);
        rig->database.insert(hostileRow(localSign, text));
        rig->history.add(text);
        VideoDetail download = hostileRow(VideoDetailSamples::sign(2), text);
        download.url = QStringLiteral("http://127.0.0.1:9/video.mp4");
        rig->downloads.add(download);
        rig->preferences.setIsOpenPlayer(true);
        rig->preferences.setPlayingVideoSign(localSign);
    }

    VideoLibraryViewController* page() { return rig->window().libraryPage(); }

    // Lays out and paints every window, shows every tooltip, and checks what each widget shows.
    void sweep(const char* where) {
        SCOPED_TRACE(where);
        const QString text = probe.text();
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible())
                top->grab();
        // Showing a tooltip may run code that deletes widgets of the list.
        QList<QPointer<QWidget>> widgets;
        for (QWidget* widget : QApplication::allWidgets())
            widgets << widget;
        for (const QPointer<QWidget>& widget : std::as_const(widgets)) {
            if (!widget || widget->objectName() == QLatin1String("qtooltip_label"))
                continue;
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                // A label whose text is not read as markup cannot be made to load anything by it.
                EXPECT_EQ(label->textFormat(), Qt::PlainText)
                    << widgetName(label).toStdString() << ": " << label->text().toStdString();
                label->sizeHint();
                if (label->text().contains(probe.fifoPath()))
                    checked << widgetName(label);
            }
            if (auto* button = qobject_cast<QAbstractButton*>(widget);
                button && button->text().contains(probe.fifoPath())) {
                const QString written = button->text().contains(probe.picturePath()) ? text : tag;
                // A title is one line, where a tab reads as a space; a long one is cut at its tail.
                const QString oneLine = QString(written).replace(QLatin1Char('\t'), QLatin1Char(' '));
                const QString shown = shownByButton(button);
                const bool cut = shown.endsWith(QChar(0x2026));
                const QString head = cut ? shown.chopped(1) : shown;
                EXPECT_TRUE(cut ? written.startsWith(head) || oneLine.startsWith(head)
                                : shown == written || shown == oneLine)
                    << widgetName(button).toStdString() << ": " << shown.toStdString();
                EXPECT_TRUE(button->shortcut().isEmpty())
                    << widgetName(button).toStdString() << " takes a mnemonic";
                checked << widgetName(button);
            }
            if (!widget->isVisible() || widget->toolTip().isEmpty())
                continue;
            QLabel* tip = MarkupProbe::showToolTip(widget);
            if (tip && widget->toolTip().contains(probe.fifoPath())) {
                tip->sizeHint();
                tip->grab();
                EXPECT_EQ(MarkupProbe::shownByLabel(tip->text(), tip->textFormat()).toStdString(),
                          text.toStdString())
                    << "tooltip of " << widgetName(widget).toStdString();
                checked << QStringLiteral("tooltip of ") + widgetName(widget);
            }
            QToolTip::hideText();
        }
        EXPECT_EQ(probe.opened().join(", ").toStdString(), "")
            << "after " << checked.join(", ").toStdString();
    }
};

// Texts from the server, the library, the download list and the search history show as written
// everywhere in the main window, its tooltips, menus and popup included; nothing in them makes the
// program open a local file.
TEST(OutsideText, ShowsAsWrittenAndOpensNothingAnywhereInTheMainWindow) {
    HostileWindow hostile;
    const QString text = hostile.probe.text();
    MainWindowController& window = hostile.rig->window();
    // Wide enough for the hot tag to fit whole.
    window.resize(1800, 800);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    VideoLibraryViewController* page = hostile.page();
    hostile.rig->webModel->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000");

    // The local tab: the stored row in the list, the detail pane and the now-playing title.
    ZFCollectionView* list = page->collectionView();
    ASSERT_TRUE(TestHome::waitUntil([&] { return list->numberOfItems() == 1; }, kPatience));
    list->selectItem(IndexPath(0), false, 0);
    VideoDetailView* pane = page->detailView();
    ASSERT_TRUE(TestHome::waitUntil([&] { return pane->videoDetail().has_value(); }, kPatience));
    ASSERT_TRUE(TestHome::waitUntil(
        [&] {
            return page->nowPlayingView()->playingFileNameLabel()->toolTip().contains(
                hostile.probe.fifoPath());
        },
        kPatience));
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return page->hotTagButtons().size() == 1 && !page->newsLinkButton()->isHidden(); }, kPatience));
    hostile.sweep("local tab");
    EXPECT_EQ(pane->titleLabel()->text(), text);
    EXPECT_TRUE(pane->dimensionsLabel()->text().contains(text));
    EXPECT_EQ(page->hotTagButtons()[0]->text(), hostile.tag);
    EXPECT_EQ(page->newsLinkButton()->text(), text);

    // The online tab: the server's records.
    QTest::mouseClick(page->onlineTab(), Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(TestHome::waitUntil([&] { return list->numberOfItems() == 3; }, kPatience));
    list->selectItem(IndexPath(1), false, 0);
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return pane->videoDetail() && pane->videoDetail()->sign != hostile.localSign; }, kPatience));
    hostile.sweep("online tab");

    // A category named by the server: its menu entry and then the tab's title.
    QToolButton* categories = page->categoryButton();
    QTest::mouseClick(page->onlineTab(), Qt::LeftButton, {}, categories->geometry().center());
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return page->categoryMenuShown() && page->categoryMenuShown()->actions().size() == 1; },
        kPatience));
    QAction* category = page->categoryMenuShown()->actions()[0];
    EXPECT_EQ(MarkupProbe::shownByButton(category->text()), QString(text).replace('\t', ' '));
    category->trigger();
    page->categoryMenuShown()->close();
    EXPECT_EQ(page->onlineTabTitle()->text(), text);
    hostile.sweep("category chosen");

    // The download list.
    QTest::mouseClick(page->downloadTab(), Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(TestHome::waitUntil([&] { return list->numberOfItems() == 1; }, kPatience));
    hostile.sweep("download tab");

    // The search popup: the typed history and the hot keys, then the server's suggestions.
    SearchField* field = window.searchField();
    QTest::mouseClick(field, Qt::LeftButton);
    SuggestionsWindowController* popup = field->suggestionWindowController();
    ASSERT_TRUE(TestHome::waitUntil([&] { return popup->isWindowVisible(); }, kPatience));
    hostile.sweep("search history");
    QTest::keyClicks(field, "S");
    ASSERT_TRUE(TestHome::waitUntil(
        [&] {
            for (const SuggestionRow& row : popup->suggestions())
                if (row.kind() == SuggestionRow::Kind::Selectable && row.label == text &&
                    field->text() == "S")
                    return hostile.server.requestsFor("505").size() > 0;
            return false;
        },
        kPatience));
    hostile.sweep("suggestions");

    // The sweeps reached every kind of place the texts show in.
    for (const char* place : {"VideoItemCell", "DownloadItemCell", "VideoDetailView", "NowPlayingView",
                              "TabTitleView", "HotTagsView", "SuggestionsWindow", "tooltip of"})
        EXPECT_TRUE(hostile.checked.join(' ').contains(QLatin1String(place)))
            << place << " was never looked at";
}

} // namespace
