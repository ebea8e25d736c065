#pragma once

#include <QString>

// Text placed between the quotes of a JSON string in a request text written by hand.
class JSONString {
public:
    // `text` as the inside of a JSON string literal: the quote, the backslash and the control
    // characters (U+0000 to U+001F) are escaped; everything else, non-ASCII text included, stays
    // as it is, so ordinary text comes out unchanged.
    static QString escaped(const QString& text);
};
