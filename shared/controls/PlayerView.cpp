#include "PlayerView.h"

#include "Console.h"
#include "PlayerSurface.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>

PlayerView::PlayerView(const QRect& frame, QWidget* parent) : QWidget(parent), m_explicitFrame(frame) {
    m_frame = frame;
    setUp();
    placeInParent();
}

PlayerView::PlayerView(QWidget* parent) : QWidget(parent) {
    m_frame = geometry();
    setUp();
}

PlayerView::~PlayerView() {
    if (m_player)
        m_player->removeView(this);
}

void PlayerView::setUp() {
    setAttribute(Qt::WA_AcceptTouchEvents);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    if (!PlayerSurface::openGLAvailable())
        return;
    m_surface = new PlayerSurface();
    m_container = QWidget::createWindowContainer(m_surface, this);
    m_container->setGeometry(rect());
    // Presses on the picture reach this view (and through it the window) like any other press.
    connect(m_surface, &PlayerSurface::mousePressed, this, &PlayerView::forward);
    connect(m_surface, &PlayerSurface::mouseReleased, this, &PlayerView::forward);
}

void PlayerView::forward(QMouseEvent* event) {
    QMouseEvent copy(event->type(), event->position(), mapToGlobal(event->position()), event->button(),
                     event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(this, &copy);
}

void PlayerView::setPictureFrame(const QRect& frame) {
    m_explicitFrame = frame;
    m_frame = frame;
    placeInParent();
    pictureChanged();
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
    m_player = player;
    if (m_surface)
        m_surface->setPlayer(player);
    pictureChanged();
}

void PlayerView::pictureChanged() {
    if (m_player)
        m_player->setViewSize(this, (QSizeF(m_frame.size()) * devicePixelRatioF()).toSize());
    if (m_surface)
        m_surface->setPictureRect(QRectF(pictureRectInView()));
}

void PlayerView::resizeEvent(QResizeEvent* event) {
    if (!m_explicitFrame)
        m_frame = geometry();
    if (m_container)
        m_container->setGeometry(rect());
    pictureChanged();
    QWidget::resizeEvent(event);
}

void PlayerView::moveEvent(QMoveEvent* event) {
    if (!m_explicitFrame)
        m_frame = geometry();
    pictureChanged();
    QWidget::moveEvent(event);
}

void PlayerView::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    Console::line("mouse down");
}

bool PlayerView::event(QEvent* event) {
    if (event->type() == QEvent::TouchBegin) {
        Console::line("123");
        event->accept();
        return true;
    }
    return QWidget::event(event);
}
