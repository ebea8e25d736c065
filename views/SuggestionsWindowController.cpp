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
    // As wide as the field, its top-left corner 2 pixels under the field's lower-left corner.
    const QPoint topLeft = field->mapToGlobal(QPoint(0, field->height())) + QPoint(0, gapUnderField);
    m_window->setFrame(QRect(topLeft, QSize(field->width(), m_window->height())));
    setSuggestions();

    QWidget* fieldWindow = field->window();
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
    const int width = content->width();
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
    const int contentHeight = y + previousHeight + radius;
    // The top edge stays; the popup grows or shrinks downwards.
    m_window->setFrame(QRect(m_window->x(), m_window->y(), m_window->width(), contentHeight));
    m_window->update();
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
    if (!m_selectedView || at == m_rows.end()) {
        userSetSelectedView(m_rows.front().view);
        return;
    }
    if (std::next(at) != m_rows.end())
        userSetSelectedView(std::next(at)->view);
}

void SuggestionsWindowController::moveUp() {
    if (m_rows.empty())
        return;
    auto at = std::find_if(m_rows.begin(), m_rows.end(),
                           [this](const auto& r) { return r.view == m_selectedView; });
    if (!m_selectedView || at == m_rows.end()) {
        userSetSelectedView(m_rows.back().view);
        return;
    }
    if (at != m_rows.begin())
        userSetSelectedView(std::prev(at)->view);
}

void SuggestionsWindowController::mouseEntered(QWidget* rowView) {
    userSetSelectedView(rowView);
}

void SuggestionsWindowController::mouseExited() {
    setSelectedView(nullptr);
    if (action)
        action(this);
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
