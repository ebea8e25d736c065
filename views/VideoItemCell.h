#pragma once

#include "CollectionViewCell.h"

#include <QColor>

class ImageView;
class QLabel;
class VideoItemImageView;

// One video of the online and local grids: the thumbnail with a badge image laid over it, and the
// title under it, cut at the tail. The list models fill it; the cell itself only draws its
// selection (the selected colour behind it, or its clear default colour).
class VideoItemCell : public CollectionViewCell {
    Q_OBJECT

public:
    static inline const QString reuseIdentifier = QStringLiteral("VideoItemCell");

    explicit VideoItemCell(QWidget* parent = nullptr);

    // The badge over the thumbnail (downloading / downloaded); cleared by every configuration.
    ImageView* coverImageView() const { return m_coverImageView; }
    VideoItemImageView* imageView() const { return m_imageView; }
    QLabel* title() const { return m_title; }

    // Background of the unselected cell: clear.
    QColor defaultColor() const { return m_defaultColor; }
    // Background of the selected cell: the palette's selection colour.
    static QColor selectedColor();

    void setSelected(bool selected, bool animated) override;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ImageView* m_coverImageView = nullptr;
    VideoItemImageView* m_imageView = nullptr;
    QLabel* m_title = nullptr;
    QColor m_defaultColor = Qt::transparent;
};
