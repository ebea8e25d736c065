#pragma once

#include "SuggestionRow.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QLineEdit;
class QWidget;
class SuggestionHeaderViewController;
class SuggestionsWindow;

// The suggestions popup of a text field: a borderless window hanging 2 pixels under the field, as
// wide as it, listing selectable rows, section headers (with an optional link button on the right)
// and separator lines. It belongs to the field's window: it opens only while that window is shown
// and active, follows it when it moves, and closes when it is hidden or minimised. A list taller
// than the room under the field down to the bottom of the screen scrolls. The pointer (also while a
// button is held) and the Up and Down keys move a highlight over the selectable rows (no
// wrap-around); a left click puts the highlighted row's label into the field and sends the field's
// action. It closes when the user clicks elsewhere or the field's window loses the focus.
// Main thread only.
class SuggestionsWindowController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QWidget* selectedView READ selectedView WRITE setSelectedView)
public:
    static constexpr int rowHeight = 24;
    static constexpr int separatorHeight = 9;
    static constexpr int gapUnderField = 2;

    explicit SuggestionsWindowController(QObject* parent = nullptr);
    ~SuggestionsWindowController() override;

    SuggestionsWindow* window() const { return m_window.get(); }
    bool isWindowVisible() const;

    // Sent whenever the user changes the highlighted row (never set in this program).
    std::function<void(SuggestionsWindowController* sender)> action;

    QLineEdit* parentTextField() const { return m_parentTextField; }

    // The rows to show; set by the owner, shown by setSuggestions().
    const QList<SuggestionRow>& suggestions() const { return m_suggestions; }
    void storeSuggestions(const QList<SuggestionRow>& rows) { m_suggestions = rows; }

    // Shows the popup under the field and starts watching clicks and the field window's focus and
    // place; nothing happens while the field's window is hidden, minimised or not active.
    void beginFor(QLineEdit* field);
    // Hides the popup and stops watching; rows and highlight stay. Harmless when closed.
    void cancelSuggestions();
    // Rebuilds the rows from suggestions(), highlights the first selectable one and resizes the
    // window downwards (its top edge stays), no further than the bottom of the screen's available
    // area; the rows then scroll, from the top.
    void setSuggestions();

    // The highlighted row; none while the window is hidden or nothing is highlighted.
    std::optional<SuggestionRow> selectedSuggestion() const;
    QWidget* selectedView() const { return m_selectedView; }
    // Moves the highlight to the view (none: no highlight).
    void setSelectedView(QWidget* view);
    // The same, then the action when there is one.
    void userSetSelectedView(QWidget* view);

    void moveUp();
    void moveDown();
    // The pointer entering and leaving a selectable row, moving with a button held (at a global
    // position), and the left button released in the popup.
    void mouseEntered(QWidget* rowView);
    void mouseExited();
    void mouseDragged(const QPoint& globalPosition);
    void mouseUp();

    // The views of the selectable rows, in row order (each one is watched for the pointer), and of
    // the headers and separators.
    QList<QWidget*> viewControllers() const;
    QList<QWidget*> separatorViewControllers() const;
    QList<QWidget*> trackingAreas() const { return viewControllers(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct SelectableRow {
        QPointer<QWidget> view;
        SuggestionRow row;
    };
    struct OtherRow {
        QPointer<QWidget> view;
        QPointer<SuggestionHeaderViewController> header;
    };

    void removeRows();
    // Sizes the window for the rows laid out (m_contentHeight) at its present place and width.
    void fitWindow();
    // The window's height for rows of the given total height at its present place, and the
    // rows' width then.
    int windowHeightFor(int contentHeight) const;
    int rowWidthFor(int contentHeight) const;
    // Puts the window back under the field, after the field or its window moved or resized.
    void followField();
    // The selectable row shown at a global position, if any.
    QWidget* rowAt(const QPoint& globalPosition) const;
    QWidget* takeReusableRow();
    // Decides what becomes of a mouse-down anywhere in the application while open: true swallows it.
    bool filterMouseDown(QObject* receiver, QEvent* event);

    std::unique_ptr<SuggestionsWindow> m_window;
    QPointer<QLineEdit> m_parentTextField;
    QList<SuggestionRow> m_suggestions;
    std::vector<SelectableRow> m_rows;
    std::vector<OtherRow> m_otherRows;
    std::deque<QPointer<QWidget>> m_reusableRows;
    QPointer<QWidget> m_selectedView;
    QObject* m_localMouseDownEventMonitor = nullptr;
    QMetaObject::Connection m_lostFocusObserver;
    // The field's window and the field, watched while open for moves, resizes, hiding and
    // minimising.
    QPointer<QWidget> m_watchedWindow;
    QPointer<QWidget> m_watchedField;
    int m_contentHeight = 0;
};
