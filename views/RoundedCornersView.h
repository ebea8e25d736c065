#pragma once

#include <QWidget>

// The suggestions popup's background: a rounded rectangle in the window colour over the whole
// view. Rows are laid out from its top (y grows downwards). Assistive technologies see it as a
// vertical list of the rows.
class RoundedCornersView : public QWidget {
    Q_OBJECT
public:
    // Made in code with a frame: corners of radius 5.
    explicit RoundedCornersView(const QRect& frame, QWidget* parent = nullptr);
    // As an interface file makes it: square corners.
    explicit RoundedCornersView(QWidget* parent = nullptr);

    static constexpr double defaultCornerRadius = 5.0;

    double rcvCornerRadius() const { return m_cornerRadius; }
    // For assistive technologies: the highlighted rows, and choosing the highlighted row (the
    // first of the given views that is one of the rows; none for an empty list). The choice goes to
    // the window's controller as its "selectedView"; without a window or controller nothing happens.
    QList<QWidget*> accessibilitySelectedChildren() const;
    void setAccessibilitySelectedChildren(const QList<QWidget*>& children);
    void setRcvCornerRadius(double radius);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_cornerRadius = 0.0;
};
