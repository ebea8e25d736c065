#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class ButtonWithLinkTitle;
class QLabel;

// The state view the online list lays over its grid while it loads, fails or is empty: a title
// line, and under it a left subtitle, a refresh link and a right subtitle that show only when
// showRefreshButton is on. The link runs refreshClosure; the view knows nothing of the list.
class WebLibraryRefreshSubView : public QWidget {
    Q_OBJECT

public:
    explicit WebLibraryRefreshSubView(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return m_titleLabel; }
    QLabel* leftSubTitle() const { return m_leftSubTitle; }
    ButtonWithLinkTitle* refreshButton() const { return m_refreshButton; }
    QLabel* rightSubTitle() const { return m_rightSubTitle; }

    std::function<void()> refreshClosure() const { return m_refreshClosure; }
    void setRefreshClosure(std::function<void()> closure) { m_refreshClosure = std::move(closure); }

    QString title() const { return m_title; }
    // Shown in the title line at once.
    void setTitle(const QString& title);

    bool showRefreshButton() const { return m_showRefreshButton; }
    // Hides or shows the left subtitle, the right subtitle and the refresh link together; the title
    // line always shows.
    void setShowRefreshButton(bool show);

    // What the subtitles around the refresh link say: after a failure, to check the network; for a
    // list that simply has nothing (a search without results), only that it is empty.
    enum class Hint { checkNetwork, emptyList };
    Hint hint() const { return m_hint; }
    void setHint(Hint hint);

    // The refresh link's action: runs refreshClosure when one is set.
    void clickRefreshButton();

private:
    QLabel* m_titleLabel = nullptr;
    QLabel* m_leftSubTitle = nullptr;
    ButtonWithLinkTitle* m_refreshButton = nullptr;
    QLabel* m_rightSubTitle = nullptr;
    std::function<void()> m_refreshClosure;
    QString m_title;
    bool m_showRefreshButton = false;
    Hint m_hint = Hint::checkNetwork;
};
