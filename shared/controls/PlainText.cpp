#include "PlainText.h"

#include <QLabel>
#include <QTextDocument>

void PlainText::keep(QLabel* label) {
    if (label)
        label->setTextFormat(Qt::PlainText);
}

void PlainText::setText(QLabel* label, const QString& text) {
    if (!label)
        return;
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
}

QString PlainText::title(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    escaped.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return escaped;
}

QString PlainText::toolTip(const QString& text) {
    // A tooltip's label decides between plain text and markup from the text alone; an escaped
    // paragraph that keeps white space as it is reads the same as the plain text would.
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
