#pragma once

#include "Disposable.h"

#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLWidget>
#include <QPointer>
#include <memory>
#include <optional>

#include "Player.h"

// Shows the picture of a shared player. The view has a picture frame (in its parent's
// coordinates) that may be larger than the parent; the widget itself covers only the visible part
// of that frame and draws its share of the picture, filled and cropped, never letter-boxed, so
// several views on several windows can show one picture spanning them all.
class PlayerView : public QOpenGLWidget, protected QOpenGLFunctions {
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

    // The rectangle, in this widget's coordinates, that the video fills (centred, cropped).
    static QRectF aspectFillRect(const QSizeF& video, const QRectF& target);

protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeGL(int w, int h) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeInParent();
    void reportSize();

    std::optional<QRect> m_explicitFrame;
    QRect m_frame;
    QPointer<Player> m_player;
    std::optional<Disposable> m_frameObservation;
    std::unique_ptr<QOpenGLShaderProgram> m_program;
};
