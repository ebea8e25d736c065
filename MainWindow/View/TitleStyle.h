#pragma once

#include "AttributedTitle.h"

class QAbstractButton;
class QLabel;

// Puts an attributed title on a button or a label: its text, colour, font and underline; the text
// is cut at the tail when it does not fit. Titles often come from records or the library, so the
// text always shows as written, never as markup or mnemonics.
class TitleStyle {
public:
    static void apply(QAbstractButton* button, const AttributedTitle& title);
    static void apply(QLabel* label, const AttributedTitle& title);
    // A plain title: the text in the widget's own colour and font.
    static void applyPlain(QAbstractButton* button, const QString& text);
};
