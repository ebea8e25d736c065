#pragma once

#include <QString>

// Random names for files the application writes (imported copies, thumbnails, resume data).
class StringRandom {
public:
    // The 62 characters a random name is drawn from: lower case, upper case, digits.
    static const QString& alphabet();
    // `length` characters, each drawn independently and uniformly from the alphabet; a length of
    // 0 or less gives the empty string. Safe on any thread.
    static QString random(qsizetype length);
};
