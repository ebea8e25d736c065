#pragma once

#include "BaseInfoResponse.h"
#include "SuggestionRow.h"

#include <QLineEdit>
#include <QPointer>
#include <QRectF>
#include <functional>
#include <optional>

class SearchFieldDelegate;
class SearchHistoryManager;
class SuggestionsWindowController;

// The library window's search box: a line edit with a search icon and a clear button, and a
// suggestions popup under it. While the text is empty the popup lists the stored search history
// and the server's hot keywords; while the user types it lists the keywords the delegate finds for
// the typed prefix. Return hands the whole text to the delegate and records it in the history.
// It takes the focus only from a click (not when its window opens, not by Tab). Main thread only.
class SearchField : public QLineEdit {
    Q_OBJECT
public:
    // Asks for the server's base information; the completion may run at once, before returning.
    using BaseInfoRequest = std::function<void(std::function<void(std::optional<BaseInfoResponse>)>)>;

    // The history manager is not owned and must outlive the field.
    SearchField(BaseInfoRequest requestBaseInfo, SearchHistoryManager* historyManager,
                QWidget* parent = nullptr);
    ~SearchField() override;

    SearchFieldDelegate* myDelegate() const;
    void setMyDelegate(SearchFieldDelegate* delegate);

    // The popup, made the first time it is needed.
    SuggestionsWindowController* suggestionWindowController();
    SearchHistoryManager* historyManager() const { return m_historyManager; }

    // When set, the next text change only closes the popup (and clears the flag).
    bool skipNextSuggestion = false;

    // One row per hot keyword received from the server, in order.
    const QList<SuggestionRow>& hotkeys() const { return m_hotkeys; }
    // Appends the reply's hot keywords (nothing for no reply).
    void setHotkeys(const std::optional<BaseInfoResponse>& response);

    // The history header (with its "Clear" link), the stored texts, a separator, the hot-search
    // header and the hot keywords, shown in the popup.
    void showHistoryAndHotSearch();
    // Asks the delegate for the keywords of the text up to the end of the selection.
    void updateSuggestions();
    void textDidChange();
    // The field's action (Return, or a click on a suggestion).
    void searching();
    void search();
    // Opens the popup when it is closed, closes it when it is open (Ctrl+Space).
    void complete();

    // The rectangle inset vertically so that a font of the given bounding height sits centred
    // (5 pixels higher); unchanged without a font.
    static QRectF verticallyCenteredRect(const QRectF& rect, std::optional<qreal> fontBoundingHeight);
    QRectF verticallyCenteredRect(const QRectF& rect) const;

    // Puts the popup's highlighted label into the text and selects what it added; the popup does
    // not call it.
    void updateFiedlEditorWithSelectedWithSender(QObject* sender) { updateFieldEditor(sender); }
    void updateFieldEditor(QObject* sender);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void clearHistory();
    QList<SuggestionRow> historyAndHotSearchRows() const;

    SearchFieldDelegate* m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
    SuggestionsWindowController* m_suggestionWindowController = nullptr;
    SearchHistoryManager* m_historyManager = nullptr;
    QList<SuggestionRow> m_hotkeys;
};
