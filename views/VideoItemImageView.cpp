#include "VideoItemImageView.h"

VideoItemImageView::VideoItemImageView(QWidget* parent) : ImageAspectFillView(parent) {}
