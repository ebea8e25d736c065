#include "ProgressWindow.h"

#include <QProgressBar>
#include <QVBoxLayout>

ProgressWindow::ProgressWindow(QWidget* parent)
    // Above the main window it belongs to (transient for it), never above other programs.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setFixedSize(contentSize);
    m_progressIndicator = new QProgressBar(this);
    // A range of 0 to 0 makes the bar busy: it moves without telling how far the work is.
    m_progressIndicator->setRange(0, 0);
    m_progressIndicator->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 0, 24, 0);
    layout->addWidget(m_progressIndicator);
}
