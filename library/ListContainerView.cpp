#include "ListContainerView.h"

#include <QEvent>
#include <QPainter>

ListContainerView::ListContainerView(QWidget* parent) : QWidget(parent) {}

void ListContainerView::setImage(const QImage& image) {
    m_image = image;
    update();
}

void ListContainerView::showOverlay(QWidget* overlay, int bottomMargin) {
    if (!overlay)
        return;
    if (m_overlay && m_overlay != overlay)
        removeOverlay(m_overlay);
    m_overlay = overlay;
    m_bottomMargin = bottomMargin;
    if (overlay->parentWidget() != this)
        overlay->setParent(this);
    overlay->installEventFilter(this);
    placeChildren();
    overlay->show();
    overlay->raise();
}

void ListContainerView::removeOverlay(QWidget* overlay) {
    if (!overlay || overlay->parentWidget() != this)
        return;
    overlay->removeEventFilter(this);
    overlay->hide();
    overlay->setParent(nullptr);
    if (m_overlay == overlay)
        m_overlay = nullptr;
}

void ListContainerView::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    QPainter painter(this);
    QSize size = m_image.size();
    if (size.width() > width() || size.height() > height())
        size.scale(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
}

void ListContainerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeChildren();
}

bool ListContainerView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_overlay && event->type() == QEvent::LayoutRequest)
        placeChildren();
    return QWidget::eventFilter(watched, event);
}

void ListContainerView::placeChildren() {
    // The grid (every other child) fills the container.
    for (QObject* child : children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget != m_overlay && !widget->isWindow())
            widget->setGeometry(rect());
    }
    if (m_overlay) {
        const QSize hint = m_overlay->sizeHint().expandedTo(m_overlay->minimumSizeHint());
        const QSize size(qMin(hint.width(), width()), hint.height());
        m_overlay->setGeometry((width() - size.width()) / 2, height() - m_bottomMargin - size.height(),
                               size.width(), size.height());
    }
}
