#pragma once

#include <QString>

// Diagnostic lines for whoever runs the program from a terminal: one line each on standard
// output, flushed at once so that lines of several threads never interleave or get lost.
class Console {
public:
    static void line(const QString& text);
    static void line(const char* text);
};
