#pragma once

#include "Disposable.h"
#include "Player.h"

#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLWindow>
#include <QPointer>
#include <memory>
#include <optional>

// A native OpenGL window that draws a player's picture straight to the screen (no intermediate
// framebuffer, no read-back): the picture fills the picture rectangle (in this window's
// coordinates), centred and cropped, never letter-boxed. Mouse presses and releases are handed
// to the owner through the two signals.
class PlayerSurface : public QOpenGLWindow, protected QOpenGLFunctions {
    Q_OBJECT
public:
    PlayerSurface();
    ~PlayerSurface() override;

    // Whether this process can draw with OpenGL at all (checked once).
    static bool openGLAvailable();

    // The rectangle that a video of the given size fills inside `target` (centred, cropped).
    static QRectF aspectFillRect(const QSizeF& video, const QRectF& target);

    void setPlayer(Player* player);
    void setPictureRect(const QRectF& rect);

signals:
    void mousePressed(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<Player> m_player;
    std::optional<Disposable> m_frameObservation;
    std::unique_ptr<QOpenGLShaderProgram> m_program;
    QRectF m_pictureRect;
};
