#pragma once

#include "ImageView.h"

// An image view for thumbnails: the image covers the whole view with its proportions kept, centred,
// and what overflows is cut off (the list models hand it images already scaled to fill).
class ImageAspectFillView : public ImageView {
    Q_OBJECT

public:
    explicit ImageAspectFillView(QWidget* parent = nullptr);

protected:
    QRectF targetRect() const override;
};
