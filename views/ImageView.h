#pragma once

#include <QImage>
#include <QWidget>

// A view that shows one image, scaled to fit its bounds (up or down) with its proportions kept and
// centred; with no image it draws nothing, so what lies behind shows through. The base of the
// thumbnail views, the clickable images and the switch.
class ImageView : public QWidget {
    Q_OBJECT

public:
    explicit ImageView(QWidget* parent = nullptr);

    QImage image() const { return m_image; }
    // Shows `image` (a null image clears the view) and repaints.
    void setImage(const QImage& image);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Where the image is drawn inside the view: fitted and centred here; subclasses may fill.
    virtual QRectF targetRect() const;

private:
    QImage m_image;
};
