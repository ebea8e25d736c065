#include "PlayerView.h"

#include "Console.h"
#include "Player.h"

#include <QEvent>
#include <QMouseEvent>

namespace {
const char* kVertexShader = R"(
attribute vec2 position;
attribute vec2 texCoord;
varying vec2 coord;
void main() {
    coord = texCoord;
    gl_Position = vec4(position, 0.0, 1.0);
})";

const char* kFragmentShader = R"(
#ifdef GL_ES
precision mediump float;
#endif
uniform sampler2D picture;
varying vec2 coord;
void main() {
    gl_FragColor = vec4(texture2D(picture, coord).rgb, 1.0);
})";
} // namespace

PlayerView::PlayerView(const QRect& frame, QWidget* parent) : QOpenGLWidget(parent), m_explicitFrame(frame) {
    m_frame = frame;
    setAttribute(Qt::WA_AcceptTouchEvents);
    placeInParent();
}

PlayerView::PlayerView(QWidget* parent) : QOpenGLWidget(parent) {
    setAttribute(Qt::WA_AcceptTouchEvents);
    m_frame = geometry();
}

PlayerView::~PlayerView() {
    if (m_player)
        m_player->removeView(this);
    makeCurrent();
    m_program.reset();
    doneCurrent();
}

void PlayerView::setPictureFrame(const QRect& frame) {
    m_explicitFrame = frame;
    m_frame = frame;
    placeInParent();
    update();
}

void PlayerView::placeInParent() {
    if (!m_explicitFrame)
        return;
    // Only the visible part of the picture frame needs pixels.
    QRect visible = m_frame;
    if (parentWidget())
        visible = m_frame.intersected(parentWidget()->rect());
    setGeometry(visible.isEmpty() ? QRect(m_frame.topLeft(), QSize(0, 0)) : visible);
}

void PlayerView::setPlayer(Player* player) {
    if (m_player == player)
        return;
    if (m_player)
        m_player->removeView(this);
    m_frameObservation.reset();
    m_player = player;
    if (m_player) {
        m_frameObservation = observe(m_player.data(), &Player::frameReady, this, [this] { update(); });
        reportSize();
    }
    update();
}

void PlayerView::reportSize() {
    if (!m_player)
        return;
    const qreal ratio = devicePixelRatioF();
    m_player->setViewSize(this, (QSizeF(m_frame.size()) * ratio).toSize());
}

QRectF PlayerView::aspectFillRect(const QSizeF& video, const QRectF& target) {
    if (video.isEmpty() || target.isEmpty())
        return target;
    const qreal scale = std::max(target.width() / video.width(), target.height() / video.height());
    const QSizeF size = video * scale;
    return QRectF(target.center().x() - size.width() / 2, target.center().y() - size.height() / 2,
                  size.width(), size.height());
}

void PlayerView::initializeGL() {
    initializeOpenGLFunctions();
    m_program = std::make_unique<QOpenGLShaderProgram>();
    m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader);
    m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader);
    m_program->bindAttributeLocation("position", 0);
    m_program->bindAttributeLocation("texCoord", 1);
    if (!m_program->link()) {
        Console::line(QStringLiteral("video view shader failed: %1").arg(m_program->log()));
        m_program.reset();
    }
}

void PlayerView::resizeGL(int, int) {
    reportSize();
}

void PlayerView::resizeEvent(QResizeEvent* event) {
    if (!m_explicitFrame)
        m_frame = geometry();
    QOpenGLWidget::resizeEvent(event);
}

void PlayerView::paintGL() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!m_player || !m_program)
        return;
    const Player::Frame frame = m_player->currentFrame();
    if (!frame.isValid())
        return;

    // The picture frame in this widget's coordinates, then the video filling it.
    const QRectF target = QRectF(m_frame).translated(-QPointF(geometry().topLeft()));
    const QRectF picture = aspectFillRect(QSizeF(frame.videoSize), target);
    const qreal w = width(), h = height();
    auto ndcX = [w](qreal x) { return GLfloat(x / w * 2.0 - 1.0); };
    auto ndcY = [h](qreal y) { return GLfloat(1.0 - y / h * 2.0); };
    const GLfloat left = ndcX(picture.left()), right = ndcX(picture.right());
    const GLfloat top = ndcY(picture.top()), bottom = ndcY(picture.bottom());
    // The renderer writes the picture's first row at the texture's origin.
    const GLfloat vertices[] = {left, top, 0, 0, right, top, 1, 0, left, bottom, 0, 1, right, bottom, 1, 1};

    m_program->bind();
    m_program->setUniformValue("picture", 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, frame.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(GLfloat), vertices);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(GLfloat), vertices + 2);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
    glBindTexture(GL_TEXTURE_2D, 0);
    m_program->release();
}

void PlayerView::mousePressEvent(QMouseEvent* event) {
    QOpenGLWidget::mousePressEvent(event);
    Console::line("mouse down");
}

bool PlayerView::event(QEvent* event) {
    if (event->type() == QEvent::TouchBegin) {
        Console::line("123");
        event->accept();
        return true;
    }
    return QOpenGLWidget::event(event);
}
