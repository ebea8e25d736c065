#include "ImageView.h"

#include <QPainter>

ImageView::ImageView(QWidget* parent) : QWidget(parent) {}

void ImageView::setImage(const QImage& image) {
    m_image = image;
    update();
}

QSize ImageView::sizeHint() const {
    if (m_image.isNull())
        return QWidget::sizeHint();
    return m_image.deviceIndependentSize().toSize();
}

QRectF ImageView::targetRect() const {
    const QSizeF imageSize = m_image.deviceIndependentSize();
    if (imageSize.isEmpty())
        return {};
    const QSizeF fitted = imageSize.scaled(QSizeF(size()), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2.0, (height() - fitted.height()) / 2.0), fitted);
}

void ImageView::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    const QRectF target = targetRect();
    if (target.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    painter.drawImage(target, m_image);
}
