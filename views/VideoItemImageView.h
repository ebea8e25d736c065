#pragma once

#include "ImageAspectFillView.h"

// The thumbnail of a video grid cell: an aspect-fill image view under its own name.
class VideoItemImageView : public ImageAspectFillView {
    Q_OBJECT

public:
    explicit VideoItemImageView(QWidget* parent = nullptr);
};
