#include "SuggestionsWindow.h"

#include <QMouseEvent>

SuggestionsWindow::SuggestionsWindow(const QRect& contentRect)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    // A tool-tip window is placed where it is asked to be and never takes the focus, so typing
    // goes on in the field while the popup is open.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(contentRect);
}

void SuggestionsWindow::setContentView(QWidget* view) {
    if (m_contentView == view)
        return;
    delete m_contentView;
    m_contentView = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(0, 0, width(), height());
        view->show();
    }
}

void SuggestionsWindow::setFrame(const QRect& frame) {
    setGeometry(frame);
    if (m_contentView)
        m_contentView->setGeometry(0, 0, frame.width(), frame.height());
}

void SuggestionsWindow::mousePressEvent(QMouseEvent* event) {
    // Taken here so that the release comes back to this window.
    event->accept();
}

void SuggestionsWindow::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit mouseUp();
}

#include "moc_SuggestionsWindow.cpp"
