#include "CloseOnlyWindow.h"

#include <QWidget>

void CloseOnlyWindow::keepSize(QWidget* window, const QSize& size) {
    if (window)
        window->setFixedSize(size);
}
