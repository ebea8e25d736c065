#pragma once

#include <QProxyStyle>

// The drawing of a button's title that keeps the title's own colours when the button is
// disabled, instead of the style's dimmed text colour. Set it as a button's style; everything
// else (frame, background, focus) is drawn by the base style as before.
class ColorButtonCell : public QProxyStyle {
    Q_OBJECT
public:
    ColorButtonCell();
    explicit ColorButtonCell(QStyle* base);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};
