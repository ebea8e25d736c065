#pragma once

#include "ImageView.h"

#include <functional>

// An image that acts as a small button: a press and a release inside it run the click action, the
// hover image shows while the pointer is over it (in the active window) and the normal image when
// it leaves, and the pointing-hand cursor shows while changeCurser is on. It never sets its own
// image at creation: the first image is its owner's.
class ClickableImageView : public ImageView {
    Q_OBJECT
    Q_PROPERTY(bool changeCurser READ changeCurser WRITE setChangeCurser)

public:
    explicit ClickableImageView(QWidget* parent = nullptr);
    // Made in code with a frame (parent coordinates).
    explicit ClickableImageView(const QRect& frame, QWidget* parent = nullptr);

    bool changeCurser() const { return m_changeCurser; }
    void setChangeCurser(bool change);

    std::function<void()> clickAction() const { return m_clickAction; }
    void setClickAction(std::function<void()> action) { m_clickAction = std::move(action); }

    // A null image means "not set": entering or leaving then leaves the shown image as it is.
    QImage normalImage() const { return m_normalImage; }
    void setNormalImage(const QImage& image) { m_normalImage = image; }
    QImage hoverImage() const { return m_hoverImage; }
    void setHoverImage(const QImage& image) { m_hoverImage = image; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_changeCurser = true;
    std::function<void()> m_clickAction;
    QImage m_normalImage;
    QImage m_hoverImage;
    bool m_pressed = false;
};
