#include "ColorButtonCell.h"

#include <QStyleOptionButton>

ColorButtonCell::ColorButtonCell() = default;

ColorButtonCell::ColorButtonCell(QStyle* base) : QProxyStyle(base) {}

void ColorButtonCell::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != CE_PushButtonLabel || !button || (button->state & State_Enabled)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // Disabled: the title in the colours it has when enabled; the frame is passed on unchanged.
    QStyleOptionButton title(*button);
    for (const QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
        title.palette.setColor(QPalette::Disabled, role, button->palette.color(QPalette::Active, role));
    QProxyStyle::drawControl(element, &title, painter, widget);
}
