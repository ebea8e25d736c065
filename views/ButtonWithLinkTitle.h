#pragma once

#include "AttributedTitle.h"
#include "ButtonWithPointCursor.h"

#include <QColor>
#include <QSizeF>
#include <optional>

// A borderless button that looks like a link: it sizes itself to its title and cuts a title that
// does not fit at the tail. It is only ever made the way an interface file makes it (a parent,
// then properties), so it has no frame constructor.
class ButtonWithLinkTitle : public ButtonWithPointCursor {
    Q_OBJECT
    Q_PROPERTY(double horizontalMargin READ horizontalMargin WRITE setHorizontalMargin)
    Q_PROPERTY(double verticalMargin READ verticalMargin WRITE setVerticalMargin)

public:
    explicit ButtonWithLinkTitle(QWidget* parent = nullptr);

    // Kept for interface files; no size computation reads it.
    double horizontalMargin() const { return m_horizontalMargin; }
    void setHorizontalMargin(double margin) { m_horizontalMargin = margin; }
    // Added above and below the title in the button's natural height.
    double verticalMargin() const { return m_verticalMargin; }
    void setVerticalMargin(double margin);

    // The styled title: its text becomes the button's text, and its colour, font and underline
    // are how the text is drawn.
    void setAttributedTitle(const AttributedTitle& title);
    QColor titleColor() const;
    Qt::TextElideMode lineBreakMode() const { return Qt::ElideRight; }

    // The natural size for a title whose single-line bounds are titleBounds: the width grows by a
    // fifth, the height by the vertical margin above and below.
    static QSizeF intrinsicContentSize(const QSizeF& titleBounds, double verticalMargin);
    // The title's single-line bounds in the button's font (its line height includes the leading).
    QSizeF titleBounds() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_horizontalMargin = 3.0;
    double m_verticalMargin = 0.0;
    std::optional<QColor> m_titleColor;
};
