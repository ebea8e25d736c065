// Gallery pages of the link buttons and of the search field with its suggestions popup.
#include "Gallery.h"

#include "AttributedTitle.h"
#include "ButtonWithColorfulLink.h"
#include "ButtonWithLinkTitle.h"
#include "SearchField.h"
#include "SearchHistoryManager.h"
#include "SuggestionsWindow.h"
#include "SuggestionsWindowController.h"

#include <QApplication>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QTemporaryDir>

namespace {

QWidget* framed(QWidget* content, QSize size) {
    auto* frame = new QWidget;
    frame->resize(size);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(content, 0, Qt::AlignCenter);
    return frame;
}

// The field's window with the popup drawn where it hangs, as the user sees them together.
QImage withPopup(QWidget* host, SuggestionsWindowController& popup) {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    const QImage window = host->grab().toImage();
    SuggestionsWindow* popupWindow = popup.window();
    const QPoint at = host->mapFromGlobal(popupWindow->pos());
    QImage picture(QSize(window.width(), std::max(window.height(), at.y() + popupWindow->height() + 12)),
                   QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(0x9a, 0xa0, 0xa8));
    QPainter painter(&picture);
    painter.drawImage(QPoint(0, 0), window);
    painter.drawImage(at, popupWindow->grab().toImage());
    return picture;
}

BaseInfoResponse hotKeywords() {
    BaseInfoResponse response;
    response.data.hotkey = {QStringLiteral("ocean"), QStringLiteral("aurora"), QStringLiteral("city night")};
    return response;
}

} // namespace

GALLERY_PAGE("ButtonWithLinkTitle") {
    auto* button = new ButtonWithLinkTitle;
    button->setAttributedTitle(AttributedTitle::underlinedLinkTitle(QStringLiteral("Visit the forum")));
    std::unique_ptr<QWidget> frame(framed(button, QSize(220, 50)));
    shots.shot("natural size", frame.get());
    auto* cut = new ButtonWithLinkTitle;
    cut->setAttributedTitle(
        AttributedTitle::linkStyleTitle(QStringLiteral("Refresh the list of videos now")));
    cut->setFixedWidth(120);
    frame.reset(framed(cut, QSize(160, 50)));
    shots.shot("cut at the tail", frame.get());
}

GALLERY_PAGE("ButtonWithColorfulLink") {
    auto* button = new ButtonWithColorfulLink(QRect(0, 0, 160, 30));
    button->setText(QStringLiteral("New wallpapers every week"));
    button->setTitleColor(QColor(0x34, 0x9b, 0xff));
    button->setTitleHoverColor(QColor(0x4a, 0xa8, 0xff));
    button->setTitlePressedColor(QColor(0x07, 0x88, 0xff));
    button->setFixedSize(button->sizeHint());
    std::unique_ptr<QWidget> frame(framed(button, QSize(260, 50)));
    shots.shot("rest", frame.get());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(button, &enter);
    shots.shot("hover", frame.get());
    button->updateTitle(*button->titlePressedColor());
    shots.shot("pressed", frame.get());
}

GALLERY_PAGE("SearchField") {
    QTemporaryDir folder;
    SearchHistoryManager history(folder.filePath(QStringLiteral("searchHistory.info")));
    history.add(QStringLiteral("mountains"));
    history.add(QStringLiteral("rain on glass"));
    auto cached = [](std::function<void(std::optional<BaseInfoResponse>)> completion) {
        completion(hotKeywords());
    };

    QWidget host;
    host.resize(420, 70);
    auto* field = new SearchField(cached, &history, &host);
    field->setPlaceholderText(QStringLiteral("Search"));
    field->setGeometry(20, 20, 260, 28);
    // The popup opens only over the active window: the window is shown once and stays.
    host.show();
    host.activateWindow();
    for (int i = 0; i < 20 && !host.isActiveWindow(); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    shots.shot("empty", &host);

    SuggestionsWindowController* popup = field->suggestionWindowController();
    field->showHistoryAndHotSearch();
    shots.image("history and hot keywords", withPopup(&host, *popup));
    popup->moveDown();
    popup->moveDown();
    shots.image("third row highlighted", withPopup(&host, *popup));

    field->setText(QStringLiteral("oce"));
    popup->storeSuggestions({SuggestionRow::item(QStringLiteral("ocean")),
                             SuggestionRow::item(QStringLiteral("ocean waves")),
                             SuggestionRow::item(QStringLiteral("ocean sunset"))});
    popup->setSuggestions();
    shots.image("keywords while typing", withPopup(&host, *popup));

    // More keywords than the screen holds under the field: the popup ends at the screen's bottom
    // and scrolls.
    QList<SuggestionRow> many;
    for (int i = 0; i < 50; ++i)
        many.append(SuggestionRow::item(QStringLiteral("ocean %1").arg(i + 1)));
    popup->storeSuggestions(many);
    popup->setSuggestions();
    for (int i = 0; i < 40; ++i)
        popup->moveDown();
    shots.image("fifty keywords scrolled", withPopup(&host, *popup));
    popup->cancelSuggestions();
}
