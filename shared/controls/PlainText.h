#pragma once

#include <QString>

class QLabel;

// Text the program did not write itself (server records, library rows, file names, typed text,
// error strings) shown exactly as written. Qt reads a label's or a tooltip's text as markup as soon
// as it looks like markup, and its text layout then loads the pictures and style sheets that markup
// names, from the disk too, on the GUI thread; a button or a menu entry takes a '&' for a mnemonic.
class PlainText {
public:
    // Makes the label show its text as written, whatever the text.
    static void keep(QLabel* label);
    // The label shown as written, with `text`.
    static void setText(QLabel* label, const QString& text);
    // For a button's or a menu entry's title: each '&' stays a character, and a tab does not split
    // the entry in two.
    static QString title(const QString& text);
    // For a tooltip: a text that would be read as markup is escaped and kept on its own lines, so
    // it shows as written; any other text is returned as it is.
    static QString toolTip(const QString& text);
};
