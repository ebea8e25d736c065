#include "VideoItemCell.h"

#include "ElidedLabel.h"
#include "ImageView.h"
#include "VideoItemImageView.h"

#include <QApplication>
#include <QPalette>

namespace {
// The thumbnail takes the cell's width and all of its height above the title line.
constexpr int titleHeight = 20;
constexpr int inset = 4;
} // namespace

VideoItemCell::VideoItemCell(QWidget* parent) : CollectionViewCell(parent) {
    m_imageView = new VideoItemImageView(this);
    m_coverImageView = new ImageView(this);
    m_coverImageView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_imageView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_title = new ElidedLabel(this);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_title->setForegroundRole(QPalette::WindowText);
    m_title->setAttribute(Qt::WA_TransparentForMouseEvents);
    setBackgroundColor(m_defaultColor);
}

QColor VideoItemCell::selectedColor() {
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

void VideoItemCell::setSelected(bool selected, bool animated) {
    CollectionViewCell::setSelected(selected, animated);
    setBackgroundColor(selected ? selectedColor() : m_defaultColor);
    update();
}

QSize VideoItemCell::sizeHint() const {
    return QSize(160, 110);
}

void VideoItemCell::resizeEvent(QResizeEvent* event) {
    CollectionViewCell::resizeEvent(event);
    const QRect thumbnail(inset, inset, width() - 2 * inset, height() - 2 * inset - titleHeight);
    m_imageView->setGeometry(thumbnail);
    m_coverImageView->setGeometry(thumbnail);
    m_title->setGeometry(inset, thumbnail.bottom() + 1, width() - 2 * inset, titleHeight);
}
