#include "TitleStyle.h"

#include "PlainText.h"

#include <QAbstractButton>
#include <QLabel>

namespace {
QString colourRule(const QColor& colour) {
    return QStringLiteral("color: %1;").arg(colour.name(QColor::HexArgb));
}
} // namespace

void TitleStyle::apply(QAbstractButton* button, const AttributedTitle& title) {
    if (!button)
        return;
    button->setFont(title.font());
    button->setStyleSheet(
        QStringLiteral("QAbstractButton { border: none; background: transparent; padding: 0; "
                       "text-align: left; %1 }")
            .arg(colourRule(title.foregroundColor())));
    button->setText(PlainText::title(title.text()));
    button->setToolTip(PlainText::toolTip(title.text()));
}

void TitleStyle::apply(QLabel* label, const AttributedTitle& title) {
    if (!label)
        return;
    label->setFont(title.font());
    label->setStyleSheet(colourRule(title.foregroundColor()));
    PlainText::setText(label, title.text());
}

void TitleStyle::applyPlain(QAbstractButton* button, const QString& text) {
    if (!button)
        return;
    button->setText(PlainText::title(text));
    button->setToolTip(PlainText::toolTip(text));
}
