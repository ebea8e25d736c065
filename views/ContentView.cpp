#include "ContentView.h"

#include <QEvent>

ContentView::ContentView(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    applyBackground();
}

void ContentView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange ||
        event->type() == QEvent::StyleChange)
        applyBackground();
}

void ContentView::applyBackground() {
    // The text-background colour (Base) of the palette in force, painted as this view's background.
    if (backgroundRole() != QPalette::Base)
        setBackgroundRole(QPalette::Base);
    update();
}
