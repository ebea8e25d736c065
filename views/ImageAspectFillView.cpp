#include "ImageAspectFillView.h"

ImageAspectFillView::ImageAspectFillView(QWidget* parent) : ImageView(parent) {}

QRectF ImageAspectFillView::targetRect() const {
    const QSizeF imageSize = image().deviceIndependentSize();
    if (imageSize.isEmpty())
        return {};
    const QSizeF filled = imageSize.scaled(QSizeF(size()), Qt::KeepAspectRatioByExpanding);
    return QRectF(QPointF((width() - filled.width()) / 2.0, (height() - filled.height()) / 2.0), filled);
}
