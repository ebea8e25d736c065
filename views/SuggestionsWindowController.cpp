#include "SuggestionsWindowController.h"

#include "AttributedTitle.h"
#include "ButtonWithLinkTitle.h"
#include "HighlightingView.h"
#include "RoundedCornersView.h"
#include "SuggestibleTextFieldCell.h"
#include "SuggestionHeaderViewController.h"
#include "SuggestionsWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

namespace {

// Hands every event of the application to a function while it is installed.
class ApplicationEventMonitor : public QObject {
public:
    ApplicationEventMonitor(QObject* parent, std::function<bool(QObject*, QEvent*)> handler)
        : QObject(parent), m_handler(std::move(handler)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~ApplicationEventMonitor() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return m_handler(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> m_handler;
};

QWidget* makeSelectableRowView() {
    auto* view = new HighlightingView;
    view->resize(200, SuggestionsWindowController::rowHeight);
    auto* text = new SuggestibleTextFieldCell(view);
    // Keywords are plain text: no guessing at markup on every keystroke.
    text->setTextFormat(Qt::PlainText);
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return view;
}

// The row's text fills the row but for a margin on either side.
void showLabel(QWidget* rowView, const SuggestionRow& row) {
    auto* text = rowView->findChild<SuggestibleTextFieldCell*>(QString(), Qt::FindDirectChildrenOnly);
    const QString label = row.label.value_or(QString());
    if (text->text() != label)
        text->setText(label);
    const QRect frame(16, 0, std::max(0, rowView->width() - 26), rowView->height());
    if (text->geometry() != frame)
        text->setGeometry(frame);
}

QWidget* makeSeparatorView() {
    auto* view = new QWidget;
    view->resize(200, SuggestionsWindowController::separatorHeight);
    auto* layout = new QHBoxLayout(view);
    layout->setContentsMargins(10, 0, 10, 0);
    auto* line = new QFrame(view);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    layout->addWidget(line);
    return view;
}

QWidget* topLevelWidgetOf(QWindow* window) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowHandle() == window)
            return widget;
    return nullptr;
}

void setTextStyles(QWidget* rowView, SuggestibleTextFieldCell::BackgroundStyle style) {
    for (auto* cell : rowView->findChildren<SuggestibleTextFieldCell*>(Qt::FindDirectChildrenOnly))
        cell->setBackgroundStyle(style);
}

} // namespace

SuggestionsWindowController::SuggestionsWindowController(QObject* parent)
    : QObject(parent), m_window(std::make_unique<SuggestionsWindow>(QRect(0, 0, 20, 20))) {
    m_window->setContentView(new RoundedCornersView(QRect(0, 0, 20, 20)));
    m_window->setWindowController(this);
    connect(m_window.get(), &SuggestionsWindow::mouseUp, this, &SuggestionsWindowController::mouseUp);
    connect(m_window.get(), &SuggestionsWindow::mouseDragged, this,
            &SuggestionsWindowController::mouseDragged);
}

SuggestionsWindowController::~SuggestionsWindowController() {
    cancelSuggestions();
}

bool SuggestionsWindowController::isWindowVisible() const {
    return m_window->isVisible();
}

void SuggestionsWindowController::beginFor(QLineEdit* field) {
    if (!field)
        return;
    QWidget* fieldWindow = field->window();
    // The popup belongs to a window the user is working in: a late answer must not bring it up
    // over another application, or under a window that is not there.
    if (!fieldWindow->isVisible() || fieldWindow->isMinimized() || !fieldWindow->isActiveWindow())
        return;
    // As wide as the field, its top-left corner 2 pixels under the field's lower-left corner.
    const QPoint topLeft = field->mapToGlobal(QPoint(0, field->height())) + QPoint(0, gapUnderField);
    m_window->setFrame(QRect(topLeft, QSize(field->width(), m_window->height())));
    setSuggestions();

    m_window->winId();
    if (fieldWindow->windowHandle())
        m_window->windowHandle()->setTransientParent(fieldWindow->windowHandle());
    m_window->show();
    m_parentTextField = field;

    m_window->setParentElement(field);
    QAccessibleEvent created(m_window.get(), QAccessible::ObjectCreated);
    QAccessible::updateAccessibility(&created);

    if (!m_localMouseDownEventMonitor)
        m_localMouseDownEventMonitor = new ApplicationEventMonitor(
            this, [this](QObject* receiver, QEvent* event) { return filterMouseDown(receiver, event); });
    if (m_watchedWindow != fieldWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = fieldWindow;
        fieldWindow->installEventFilter(this);
    }
    if (m_watchedField != field) {
        if (m_watchedField)
            m_watchedField->removeEventFilter(this);
        m_watchedField = field;
        field->installEventFilter(this);
    }
    if (!m_lostFocusObserver) {
        QPointer<QWidget> watchedWindow = fieldWindow;
        m_lostFocusObserver =
            connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this, watchedWindow](QWindow* now) {
                // The popup never takes the focus; anything else taking it from the field's window
                // (another window, another application) closes the popup.
                if (!watchedWindow || now != watchedWindow->windowHandle())
                    cancelSuggestions();
            });
    }
}

bool SuggestionsWindowController::filterMouseDown(QObject* receiver, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    // A click from the window system reaches the window first, before any widget takes the focus
    // from it; a click sent straight to a widget is judged there.
    QWidget* eventWindow = nullptr;
    if (auto* widget = qobject_cast<QWidget*>(receiver))
        eventWindow = widget->window();
    else if (auto* window = qobject_cast<QWindow*>(receiver))
        eventWindow = topLevelWidgetOf(window);
    else
        return false;
    if (eventWindow == m_window.get())
        return false;
    QLineEdit* field = m_parentTextField;
    if (!field || !eventWindow || eventWindow != field->window()) {
        // Another window: the popup closes and the click acts normally there.
        cancelSuggestions();
        return false;
    }
    const QPointF global = static_cast<QMouseEvent*>(event)->globalPosition();
    QWidget* hit = eventWindow->childAt(eventWindow->mapFromGlobal(global.toPoint()));
    const bool onField = hit && (hit == field || field->isAncestorOf(hit));
    // The line edit is its own field editor: a click on it, or any click while it is not being
    // edited, passes.
    if (onField || !field->hasFocus())
        return false;
    // Elsewhere in the field's window while the field is edited: the click only closes the popup.
    cancelSuggestions();
    return true;
}

void SuggestionsWindowController::cancelSuggestions() {
    if (m_window->isVisible()) {
        m_window->hide();
        if (auto* cell = qobject_cast<SuggestibleTextFieldCell*>(m_window->parentElement()))
            cell->setSuggestionsWindow(nullptr);
        m_window->setParentElement(nullptr);
    }
    if (m_lostFocusObserver) {
        disconnect(m_lostFocusObserver);
        m_lostFocusObserver = {};
    }
    if (m_localMouseDownEventMonitor) {
        delete m_localMouseDownEventMonitor;
        m_localMouseDownEventMonitor = nullptr;
    }
    if (m_watchedWindow) {
        m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = nullptr;
    }
    if (m_watchedField) {
        m_watchedField->removeEventFilter(this);
        m_watchedField = nullptr;
    }
}

void SuggestionsWindowController::removeRows() {
    // Selectable rows are all alike: their views are kept and given the next rows' texts, which
    // keeps relaying out cheap while the user types. Headers and separators go later, not now: the
    // click that led here may still be inside one of them (the header's link button).
    for (auto& row : m_rows)
        if (row.view)
            m_reusableRows.push_back(row.view);
    m_rows.clear();
    for (auto& row : m_otherRows) {
        if (row.view) {
            row.view->hide();
            row.view->deleteLater();
        }
        if (row.header)
            row.header->deleteLater();
    }
    m_otherRows.clear();
}

void SuggestionsWindowController::setSuggestions() {
    auto* content = static_cast<RoundedCornersView*>(m_window->contentView());
    setSelectedView(nullptr);
    removeRows();

    const int radius = int(content->rcvCornerRadius());
    // Known row heights tell at once whether a scroll bar will take its width from the rows.
    int expectedHeight = 2 * radius;
    for (const SuggestionRow& row : m_suggestions)
        expectedHeight += row.kind() == SuggestionRow::Kind::Separator ? separatorHeight
                          : row.kind() == SuggestionRow::Kind::Header
                              ? SuggestionHeaderViewController::rowHeight
                              : rowHeight;
    const int width = rowWidthFor(expectedHeight);
    int y = radius;
    int previousHeight = 0;
    for (const SuggestionRow& row : m_suggestions) {
        y += previousHeight;
        QWidget* view = nullptr;
        switch (row.kind()) {
        case SuggestionRow::Kind::Separator:
            view = makeSeparatorView();
            m_otherRows.push_back({view, nullptr});
            break;
        case SuggestionRow::Kind::Header: {
            auto* header = new SuggestionHeaderViewController(this);
            view = header->view();
            header->actionClosure = row.action;
            header->rightButton()->setAttributedTitle(
                AttributedTitle::linkStyleTitle(row.detailedLabel.value_or(QString())));
            header->rightButton()->setVisible(!row.detailedLabel.value_or(QString()).isEmpty());
            header->setRepresentedObject(row);
            m_otherRows.push_back({view, header});
            break;
        }
        case SuggestionRow::Kind::Selectable:
            view = takeReusableRow();
            // The first selectable row is highlighted after every layout, without the action.
            if (m_rows.empty())
                setSelectedView(view);
            m_rows.push_back({view, row});
            break;
        }
        const int height = view->height();
        if (view->parentWidget() != content)
            view->setParent(content);
        view->setGeometry(0, y, width, height);
        if (row.kind() == SuggestionRow::Kind::Selectable)
            showLabel(view, row);
        if (view->isHidden())
            view->show();
        previousHeight = height;
    }
    // Views left over from longer lists wait, hidden, for the next one.
    for (auto& spare : m_reusableRows)
        if (spare)
            spare->hide();
    m_contentHeight = y + previousHeight + radius;
    // New rows are read from the top.
    m_window->scrollView()->verticalScrollBar()->setValue(0);
    fitWindow();
    // Only the rows need drawing again; the scroll bar beside them redraws itself when it changes.
    m_window->contentView()->update();
}

int SuggestionsWindowController::windowHeightFor(int contentHeight) const {
    // The top edge stays; the popup grows or shrinks downwards, down to the bottom of the
    // screen's available area at most (keeping at least one row when the field sits lower).
    QScreen* screen = QGuiApplication::screenAt(m_window->geometry().topLeft());
    if (!screen && m_parentTextField)
        screen = m_parentTextField->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return contentHeight;
    const auto* content = static_cast<RoundedCornersView*>(m_window->contentView());
    const int least = std::min(contentHeight, 2 * int(content->rcvCornerRadius()) + rowHeight);
    const int room = screen->availableGeometry().bottom() + 1 - m_window->y();
    return std::min(contentHeight, std::max(room, least));
}

int SuggestionsWindowController::rowWidthFor(int contentHeight) const {
    // A scroll bar takes its width from the rows while they do not fit.
    if (contentHeight > windowHeightFor(contentHeight))
        return std::max(0, m_window->width() - m_window->scrollBarWidth());
    return m_window->width();
}

void SuggestionsWindowController::fitWindow() {
    QWidget* content = m_window->contentView();
    const int height = windowHeightFor(m_contentHeight);
    const int width = rowWidthFor(m_contentHeight);
    for (const auto& row : m_rows)
        if (row.view && row.view->width() != width) {
            row.view->resize(width, row.view->height());
            showLabel(row.view, row.row);
        }
    for (const auto& row : m_otherRows)
        if (row.view && row.view->width() != width)
            row.view->resize(width, row.view->height());
    content->resize(width, m_contentHeight);
    m_window->setFrame(QRect(m_window->x(), m_window->y(), m_window->width(), height));
}

void SuggestionsWindowController::followField() {
    QLineEdit* field = m_parentTextField;
    if (!field || !m_window->isVisible())
        return;
    const QPoint topLeft = field->mapToGlobal(QPoint(0, field->height())) + QPoint(0, gapUnderField);
    const QRect frame(topLeft, QSize(field->width(), m_window->height()));
    if (frame == m_window->geometry())
        return;
    m_window->setFrame(frame);
    fitWindow();
}

QWidget* SuggestionsWindowController::takeReusableRow() {
    while (!m_reusableRows.empty()) {
        QPointer<QWidget> view = m_reusableRows.front();
        m_reusableRows.pop_front();
        if (view)
            return view;
    }
    QWidget* view = makeSelectableRowView();
    view->installEventFilter(this);
    return view;
}

std::optional<SuggestionRow> SuggestionsWindowController::selectedSuggestion() const {
    if (!m_window->isVisible() || !m_selectedView)
        return std::nullopt;
    for (const auto& row : m_rows)
        if (row.view == m_selectedView)
            return row.row;
    return std::nullopt;
}

void SuggestionsWindowController::setSelectedView(QWidget* view) {
    QWidget* old = m_selectedView;
    m_selectedView = view;
    if (view != old)
        if (auto* previous = qobject_cast<HighlightingView*>(old); previous && previous->isHighlighted()) {
            previous->setHighlighted(false);
            setTextStyles(previous, SuggestibleTextFieldCell::Light);
            previous->update();
        }
    if (auto* next = qobject_cast<HighlightingView*>(view); next && !next->isHighlighted()) {
        next->setHighlighted(true);
        setTextStyles(next, SuggestibleTextFieldCell::Dark);
        next->update();
    }
}

void SuggestionsWindowController::userSetSelectedView(QWidget* view) {
    setSelectedView(view);
    if (action)
        action(this);
}

QList<QWidget*> SuggestionsWindowController::viewControllers() const {
    QList<QWidget*> views;
    for (const auto& row : m_rows)
        views.append(row.view);
    return views;
}

QList<QWidget*> SuggestionsWindowController::separatorViewControllers() const {
    QList<QWidget*> views;
    for (const auto& row : m_otherRows)
        views.append(row.view);
    return views;
}

void SuggestionsWindowController::moveDown() {
    if (m_rows.empty())
        return;
    auto at = std::find_if(m_rows.begin(), m_rows.end(),
                           [this](const auto& r) { return r.view == m_selectedView; });
    if (!m_selectedView || at == m_rows.end())
        userSetSelectedView(m_rows.front().view);
    else if (std::next(at) != m_rows.end())
        userSetSelectedView(std::next(at)->view);
    m_window->scrollToVisible(m_selectedView);
}

void SuggestionsWindowController::moveUp() {
    if (m_rows.empty())
        return;
    auto at = std::find_if(m_rows.begin(), m_rows.end(),
                           [this](const auto& r) { return r.view == m_selectedView; });
    if (!m_selectedView || at == m_rows.end())
        userSetSelectedView(m_rows.back().view);
    else if (at != m_rows.begin())
        userSetSelectedView(std::prev(at)->view);
    m_window->scrollToVisible(m_selectedView);
}

void SuggestionsWindowController::mouseEntered(QWidget* rowView) {
    userSetSelectedView(rowView);
}

void SuggestionsWindowController::mouseExited() {
    setSelectedView(nullptr);
    if (action)
        action(this);
}

QWidget* SuggestionsWindowController::rowAt(const QPoint& globalPosition) const {
    QWidget* viewport = m_window->scrollView()->viewport();
    if (!viewport->rect().contains(viewport->mapFromGlobal(globalPosition)))
        return nullptr;
    for (const auto& row : m_rows)
        if (row.view && row.view->isVisible() &&
            row.view->rect().contains(row.view->mapFromGlobal(globalPosition)))
            return row.view;
    return nullptr;
}

void SuggestionsWindowController::mouseDragged(const QPoint& globalPosition) {
    // While a button is held the window system sends no enter and leave events, so the rows are
    // tracked here: the row under the pointer when the button is released is the one committed.
    QWidget* row = rowAt(globalPosition);
    if (row == m_selectedView)
        return;
    if (row)
        mouseEntered(row);
    else
        mouseExited();
}

void SuggestionsWindowController::mouseUp() {
    const std::optional<SuggestionRow> selected = selectedSuggestion();
    QPointer<QLineEdit> field = m_parentTextField;
    if (selected && field)
        field->setText(selected->label.value_or(QString()));
    if (field) {
        // The field lets go of its text, then sends its action (the one Return sends).
        field->clearFocus();
        if (field)
            emit field->returnPressed();
    }
    cancelSuggestions();
}

bool SuggestionsWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow || watched == m_watchedField) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            followField();
            break;
        case QEvent::Hide:
            if (watched == m_watchedWindow)
                cancelSuggestions();
            break;
        case QEvent::WindowStateChange:
            if (m_watchedWindow && m_watchedWindow->isMinimized())
                cancelSuggestions();
            break;
        default:
            break;
        }
        return false;
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        auto* view = qobject_cast<QWidget*>(watched);
        const bool tracked =
            std::any_of(m_rows.begin(), m_rows.end(), [view](const auto& r) { return r.view == view; });
        if (tracked) {
            if (event->type() == QEvent::Enter)
                mouseEntered(view);
            else
                mouseExited();
        }
    }
    return QObject::eventFilter(watched, event);
}

#include "moc_SuggestionsWindowController.cpp"
