#pragma once

#include <QPushButton>

// A push button that shows the pointing-hand cursor over the whole of itself.
class ButtonWithPointCursor : public QPushButton {
    Q_OBJECT
public:
    // As loaded from an interface file (the loader sets the geometry and properties afterwards).
    explicit ButtonWithPointCursor(QWidget* parent = nullptr);
    // Made in code with a frame (parent coordinates).
    explicit ButtonWithPointCursor(const QRect& frame, QWidget* parent = nullptr);
};
