#include "PlayerSurface.h"

#include <QLoggingCategory>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace {
Q_LOGGING_CATEGORY(lcSurface, "zerafin.player.surface")

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

PlayerSurface::PlayerSurface() : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate) {}

PlayerSurface::~PlayerSurface() {
    if (m_program && context()) {
        makeCurrent();
        m_program.reset();
        doneCurrent();
    }
}

bool PlayerSurface::openGLAvailable() {
    static const bool available = [] {
        QOpenGLContext context;
        if (!context.create())
            return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        return surface.isValid() && context.makeCurrent(&surface);
    }();
    return available;
}

QRectF PlayerSurface::aspectFillRect(const QSizeF& video, const QRectF& target) {
    if (video.isEmpty() || target.isEmpty())
        return target;
    const qreal scale = std::max(target.width() / video.width(), target.height() / video.height());
    const QSizeF size = video * scale;
    return QRectF(target.center().x() - size.width() / 2, target.center().y() - size.height() / 2,
                  size.width(), size.height());
}

void PlayerSurface::setPlayer(Player* player) {
    m_frameObservation.reset();
    m_player = player;
    if (m_player)
        m_frameObservation = observe(m_player.data(), &Player::frameReady, this, [this] { update(); });
    update();
}

void PlayerSurface::setPictureRect(const QRectF& rect) {
    m_pictureRect = rect;
    update();
}

void PlayerSurface::initializeGL() {
    initializeOpenGLFunctions();
    m_program = std::make_unique<QOpenGLShaderProgram>();
    m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader);
    m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader);
    m_program->bindAttributeLocation("position", 0);
    m_program->bindAttributeLocation("texCoord", 1);
    if (!m_program->link()) {
        qCWarning(lcSurface).noquote()
            << QStringLiteral("video view shader failed: %1").arg(m_program->log());
        m_program.reset();
    }
}

void PlayerSurface::paintGL() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!m_player || !m_program)
        return;
    const Player::Frame frame = m_player->currentFrame();
    if (!frame.isValid())
        return;

    // Fill the picture rectangle with the video, centred; what overflows is cut off.
    const QRectF target = m_pictureRect.isEmpty() ? QRectF(QPointF(0, 0), QSizeF(size())) : m_pictureRect;
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

void PlayerSurface::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event);
}

void PlayerSurface::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(event);
}
