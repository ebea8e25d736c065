#pragma once

#include "SuggestionRow.h"

#include <QObject>
#include <QPointer>
#include <functional>

class ButtonWithLinkTitle;
class QLabel;
class QWidget;

// A section header of the suggestions popup: its title on the left and a link button on the right
// that runs the header's action.
class SuggestionHeaderViewController : public QObject {
    Q_OBJECT
public:
    static constexpr int rowHeight = 24;

    explicit SuggestionHeaderViewController(QObject* parent = nullptr);
    ~SuggestionHeaderViewController() override;

    // The row's view, made on first use (owned by whatever it is added to, else by this controller).
    QWidget* view();
    QLabel* titleLabel();
    ButtonWithLinkTitle* rightButton();

    std::function<void()> actionClosure;

    const SuggestionRow& representedObject() const { return m_row; }
    // Shows the row's label as the title.
    void setRepresentedObject(const SuggestionRow& row);

    // The right button's action: runs actionClosure when there is one.
    void rightButtonClick();

private:
    void loadView();

    QPointer<QWidget> m_view;
    QLabel* m_titleLabel = nullptr;
    ButtonWithLinkTitle* m_rightButton = nullptr;
    SuggestionRow m_row;
};
