#pragma once

#include "Disposable.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class LocalVideoDBManager;
class Preferences;
class QLabel;
class QPushButton;
class QSvgWidget;

// The bottom bar's "now playing" corner: a status icon, a status text and the playing video's title
// as a link, cut to the view's fixed width. The library page says whether the player is on (isOpenPlay); the
// view itself follows the playing video's sign, so the agent moving on to the next video shows here within a
// second.
class NowPlayingView : public QWidget {
    Q_OBJECT

public:
    // Finds an icon file ("playing.svg", "no_playing.svg") by name; an empty text when it is missing.
    using IconLocator = std::function<QString(const QString& name)>;

    // The view's one width, and the room between its parts.
    static constexpr int viewWidth = 240;
    static constexpr int spacing = 6;

    NowPlayingView(Preferences& preferences, LocalVideoDBManager& database, IconLocator locateIcon = {},
                   QWidget* parent = nullptr);

    QSvgWidget* statusIcon() const { return m_statusIcon; }
    QLabel* statusLabel() const { return m_statusLabel; }
    QPushButton* playingFileNameLabel() const { return m_playingFileNameLabel; }

    bool isOpenPlay() const { return m_isOpenPlay; }
    // Every assignment refreshes the view, also of an unchanged value.
    void setIsOpenPlay(bool open);

    // Called with the playing sign when the title is clicked.
    std::function<void(const std::optional<QString>&)> clickVideoTitleClosure;

    // The icon file the view shows now; empty when none is loaded.
    QString loadedIconPath() const { return m_loadedIcon; }
    // The two icon files; empty when the resource is missing.
    QString playingImage();
    QString noPlayingImage();

    // The icons in the program's artwork, else among the installed resources.
    static QString defaultIconPath(const QString& name);

    // Whether the playing icon is moving now: only while this view is on screen, the player is on
    // and the wallpaper plays. Otherwise the icon stands still and costs nothing.
    bool isAnimating() const { return m_animationTimer.isActive(); }
    // Frames a second of the moving icon; the icon's own motion is slow, so few frames do.
    static constexpr int kAnimationFramesPerSecond = 8;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshStatus();
    void playingVideoSignChanged(const std::optional<QString>& sign);
    void showTitleOf(const QString& sign);
    void showTitle(const QString& title);
    void loadIcon(const QString& path);
    void clickVideoTitle();
    void updateAnimation();

    Preferences& m_preferences;
    LocalVideoDBManager& m_database;
    IconLocator m_locateIcon;
    QSvgWidget* m_statusIcon = nullptr;
    QLabel* m_statusLabel = nullptr;
    QPushButton* m_playingFileNameLabel = nullptr;
    bool m_isOpenPlay = false;
    std::optional<QString> m_playingImage;
    std::optional<QString> m_noPlayingImage;
    QString m_loadedIcon;
    std::optional<Disposable> m_observeDispose;
    std::optional<Disposable> m_playingDispose;
    QTimer m_animationTimer;
    bool m_shown = false;
    QPointer<QWidget> m_watchedWindow;
};
