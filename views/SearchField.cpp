#include "SearchField.h"

#include "Console.h"
#include "SearchFieldDelegate.h"
#include "SearchHistoryManager.h"
#include "SuggestionsWindowController.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

QIcon searchIcon() {
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(128, 128, 128), 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(QRectF(2.5, 2.5, 8, 8));
    painter.drawLine(QPointF(9.5, 9.5), QPointF(13.5, 13.5));
    return QIcon(pixmap);
}

} // namespace

SearchField::SearchField(BaseInfoRequest requestBaseInfo, SearchHistoryManager* historyManager,
                         QWidget* parent)
    : QLineEdit(parent), m_historyManager(historyManager) {
    addAction(searchIcon(), QLineEdit::LeadingPosition);
    setClearButtonEnabled(true);
    // A click gives it the focus; opening the window or Tab does not.
    setFocusPolicy(Qt::ClickFocus);
    connect(this, &QLineEdit::textEdited, this, [this] { textDidChange(); });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (m_suggestionWindowController)
            m_suggestionWindowController->cancelSuggestions();
    });
    // The action is sent only when the user commits the search, not on every keystroke.
    connect(this, &QLineEdit::returnPressed, this, &SearchField::searching);

    // Last, since a cached answer arrives before this call returns.
    if (requestBaseInfo) {
        QPointer<SearchField> self(this);
        requestBaseInfo([self](std::optional<BaseInfoResponse> response) {
            if (self)
                self->setHotkeys(response);
        });
    }
}

SearchField::~SearchField() {
    if (m_suggestionWindowController)
        m_suggestionWindowController->cancelSuggestions();
}

SearchFieldDelegate* SearchField::myDelegate() const {
    if (m_delegateIsObject && !m_delegateObject)
        return nullptr;
    return m_delegate;
}

void SearchField::setMyDelegate(SearchFieldDelegate* delegate) {
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject*>(delegate);
    m_delegateIsObject = m_delegateObject != nullptr;
}

SuggestionsWindowController* SearchField::suggestionWindowController() {
    if (!m_suggestionWindowController)
        m_suggestionWindowController = new SuggestionsWindowController(this);
    return m_suggestionWindowController;
}

void SearchField::setHotkeys(const std::optional<BaseInfoResponse>& response) {
    if (!response)
        return;
    for (const QString& keyword : response->data.hotkey)
        m_hotkeys.append(SuggestionRow::item(keyword));
}

QList<SuggestionRow> SearchField::historyAndHotSearchRows() const {
    QPointer<SearchField> self(const_cast<SearchField*>(this));
    QList<SuggestionRow> rows;
    rows.append(SuggestionRow::headerRow(
        //: search history
        QCoreApplication::translate("Localizable", "Search History"),
        //: clear search history
        QCoreApplication::translate("Localizable", "Clear"), [self] {
            if (self)
                self->clearHistory();
        }));
    if (m_historyManager)
        for (const QString& text : m_historyManager->storeHistory())
            rows.append(SuggestionRow::item(text));
    rows.append(SuggestionRow::separatorRow());
    //: hotkey
    rows.append(SuggestionRow::headerRow(QCoreApplication::translate("Localizable", "Hot Search")));
    rows.append(m_hotkeys);
    return rows;
}

void SearchField::showHistoryAndHotSearch() {
    SuggestionsWindowController* popup = suggestionWindowController();
    popup->storeSuggestions(historyAndHotSearchRows());
    if (popup->isWindowVisible())
        popup->setSuggestions();
    else
        popup->beginFor(this);
}

void SearchField::clearHistory() {
    if (m_historyManager)
        m_historyManager->setStoreHistory({});
    showHistoryAndHotSearch();
}

void SearchField::textDidChange() {
    if (skipNextSuggestion) {
        skipNextSuggestion = false;
        suggestionWindowController()->cancelSuggestions();
        return;
    }
    updateSuggestions();
}

void SearchField::updateSuggestions() {
    // The line edit is its own field editor, present while it has the focus.
    if (!hasFocus()) {
        showHistoryAndHotSearch();
        Console::line(QStringLiteral("👾failed to get field editor"));
        return;
    }
    const QString typed = text();
    if (typed.isEmpty()) {
        showHistoryAndHotSearch();
        return;
    }
    const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    const QString prefix = typed.left(end);
    SearchFieldDelegate* delegate = myDelegate();
    if (!delegate)
        return;
    QPointer<SearchField> self(this);
    delegate->searchSuggestions(prefix, [self](std::optional<QStringList> keywords) {
        if (!self)
            return;
        if (!keywords || keywords->isEmpty()) {
            // No suggestions: back to the history and hot keywords at once.
            self->suggestionWindowController()->cancelSuggestions();
            self->showHistoryAndHotSearch();
            return;
        }
        QList<SuggestionRow> rows;
        for (const QString& keyword : *keywords)
            rows.append(SuggestionRow::item(keyword));
        QMetaObject::invokeMethod(
            self.data(),
            [self, rows] {
                SuggestionsWindowController* popup = self->suggestionWindowController();
                popup->storeSuggestions(rows);
                if (popup->isWindowVisible())
                    popup->setSuggestions();
                else
                    popup->beginFor(self);
            },
            Qt::QueuedConnection);
    });
}

void SearchField::searching() {
    search();
}

void SearchField::search() {
    const QString whole = text();
    if (SearchFieldDelegate* delegate = myDelegate())
        delegate->search(whole);
    if (!whole.isEmpty() && m_historyManager)
        m_historyManager->add(whole);
}

void SearchField::complete() {
    SuggestionsWindowController* popup = suggestionWindowController();
    if (popup->isWindowVisible())
        popup->cancelSuggestions();
    else
        updateSuggestions();
}

QRectF SearchField::verticallyCenteredRect(const QRectF& rect, std::optional<qreal> fontBoundingHeight) {
    if (!fontBoundingHeight)
        return rect;
    const qreal fontHeight = std::ceil(*fontBoundingHeight);
    const qreal inset = std::floor((rect.height() - fontHeight) / 2) - 5;
    return rect.adjusted(0, inset, 0, -inset);
}

QRectF SearchField::verticallyCenteredRect(const QRectF& rect) const {
    return verticallyCenteredRect(rect, QFontMetricsF(font()).height());
}

void SearchField::updateFieldEditor(QObject* sender) {
    if (!m_suggestionWindowController || sender != m_suggestionWindowController || !hasFocus())
        return;
    const std::optional<SuggestionRow> selected = m_suggestionWindowController->selectedSuggestion();
    if (!selected || !selected->label)
        return;
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    setText(*selected->label);
    setSelection(start, int(selected->label->size()) - start);
}

void SearchField::focusInEvent(QFocusEvent* event) {
    // Coming back to the window, or from a context menu, is not a new click on the field.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        showHistoryAndHotSearch();
    QLineEdit::focusInEvent(event);
}

void SearchField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu of the field leaves the popup open.
    if (event->reason() != Qt::PopupFocusReason && m_suggestionWindowController)
        m_suggestionWindowController->cancelSuggestions();
}

void SearchField::keyPressEvent(QKeyEvent* event) {
    // Only the plain arrows move the popup's highlight. With Shift or Ctrl they keep their meaning
    // in the text: what the line edit does with them, and where it does nothing, Shift extends the
    // selection to the start (Up) or the end (Down) of the one line.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (plain) {
            if (event->key() == Qt::Key_Up)
                suggestionWindowController()->moveUp();
            else
                suggestionWindowController()->moveDown();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
        if (!event->isAccepted() && (event->modifiers() & Qt::ShiftModifier)) {
            if (event->key() == Qt::Key_Up)
                home(true);
            else
                end(true);
            event->accept();
        }
        return;
    case Qt::Key_Space:
        if (event->modifiers() == Qt::ControlModifier) {
            complete();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

#include "moc_SearchField.cpp"
