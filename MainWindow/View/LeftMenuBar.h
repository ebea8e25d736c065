#pragma once

#include "Disposable.h"

#include <QColor>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>

class ClickableImageView;
class LeftMenuCell;
class NotificationCenter;
class Preferences;
class UrlOpener;

// The dark column on the left of the main window: the logo (opens the maker's web site), a thin
// line, the "Video" and "About" entries that switch the page (the first with the player switch),
// and at the bottom the server's leaflet, a picture whose click opens the page that came with it.
// Built in code for a width of 160.
class LeftMenuBar : public QWidget {
    Q_OBJECT
public:
    struct Dependencies {
        Preferences* preferences = nullptr;
        NotificationCenter* notifications = nullptr; // where "leafletUpdated" arrives
        UrlOpener* urlOpener = nullptr;
    };

    // `selectedClosure` gets the chosen entry's index (0 "Video", 1 "About").
    LeftMenuBar(const QRect& frame, std::function<void(int)> selectedClosure, Dependencies dependencies,
                QWidget* parent = nullptr);
    ~LeftMenuBar() override;

    // "LeftSideBarColor": the bar's background.
    static QColor barColor();

    // Marks the entry at `index` selected and every other one not; tells nobody.
    void select(int index);

    LeftMenuCell* cell(int index) const;
    ClickableImageView* logo() const { return m_logo; }
    QWidget* separator() const { return m_separator; }
    ClickableImageView* leaflet() const { return m_leaflet; }
    // The page the leaflet opens; empty until one arrived.
    QUrl leafletLink() const { return m_leafletLink; }

    // A "leafletUpdated" notification's user information: one picture with its link replaces the
    // leaflet; anything else leaves it as it was.
    void leafletUpdated(const QVariantMap& userInfo);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<void(int)> m_selectedClosure;
    Dependencies m_deps;
    std::map<int, LeftMenuCell*> m_cellList;
    ClickableImageView* m_logo = nullptr;
    QWidget* m_separator = nullptr;
    ClickableImageView* m_leaflet = nullptr;
    QUrl m_leafletLink;
    std::optional<Disposable> m_leafletObservation;
};
