#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <Qt>

// A short styled text for a label: its words, its colour and its alignment. The colour is a role
// so that the label colour follows the theme of the widget showing it.
struct PerformanceRequirement {
    enum class Color { label, systemRed };

    QString text;
    Color color = Color::label;
    Qt::Alignment alignment = Qt::AlignRight;

    QColor foreground(const QPalette& palette) const {
        return color == Color::systemRed ? QColor(255, 59, 48) : palette.color(QPalette::WindowText);
    }

    bool operator==(const PerformanceRequirement&) const = default;
};
