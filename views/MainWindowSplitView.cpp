#include "MainWindowSplitView.h"

MainWindowSplitView::MainWindowSplitView(QWidget* parent) : MainWindowSplitView(Qt::Horizontal, parent) {}

MainWindowSplitView::MainWindowSplitView(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent) {
    setHandleWidth(dividerThickness());
    setChildrenCollapsible(false);
}
