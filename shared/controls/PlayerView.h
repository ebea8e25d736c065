#pragma once

#include "Player.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class PlayerSurface;

// Shows the picture of a shared player. The view has a picture frame (in its parent's
// coordinates) that may be larger than the parent; the widget covers only the visible part of that
// frame and shows its share of the picture, filled and cropped, never letter-boxed, so several
// views on several windows can show one picture spanning them all. The drawing is done by a native
// OpenGL child window, which puts each frame straight on the screen.
class PlayerView : public QWidget {
    Q_OBJECT
public:
    // Made in code with its frame (parent coordinates).
    explicit PlayerView(const QRect& frame, QWidget* parent = nullptr);
    // As loaded from an interface file: the frame follows the widget's geometry.
    explicit PlayerView(QWidget* parent = nullptr);
    ~PlayerView() override;

    QRect pictureFrame() const { return m_frame; }
    void setPictureFrame(const QRect& frame);

    Player* player() const { return m_player; }
    void setPlayer(Player* player);

    // The part of the picture frame this widget covers, in its own coordinates.
    QRect pictureRectInView() const { return m_frame.translated(-geometry().topLeft()); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void setUp();
    void placeInParent();
    void pictureChanged();
    void forward(QMouseEvent* event);

    std::optional<QRect> m_explicitFrame;
    QRect m_frame;
    QPointer<Player> m_player;
    PlayerSurface* m_surface = nullptr;
    QWidget* m_container = nullptr;
};
