#include "ProgressWindowController.h"

#include "ProgressWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

ProgressWindowController::ProgressWindowController(QObject* parent)
    : QObject(parent), m_window(new ProgressWindow) {}

ProgressWindowController::~ProgressWindowController() {
    close();
}

void ProgressWindowController::showCentredOn(QWidget* mainWindow) {
    if (!m_window)
        return;
    if (m_mainWindow)
        m_mainWindow->removeEventFilter(this);
    m_mainWindow = mainWindow ? mainWindow->window() : nullptr;
    if (m_mainWindow) {
        // A child window stays in front of its parent and goes with it.
        m_window->setParent(m_mainWindow, m_window->windowFlags());
        // The window manager places the main window after it was shown, and the user moves it:
        // the progress window follows it to its centre each time.
        m_mainWindow->installEventFilter(this);
    }
    centre();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void ProgressWindowController::centre() {
    if (!m_window)
        return;
    QRect area;
    if (m_mainWindow) {
        area = m_mainWindow->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    QRect frame(QPoint(0, 0), m_window->size());
    frame.moveCenter(area.center());
    m_window->move(frame.topLeft());
}

bool ProgressWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mainWindow &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show))
        centre();
    return QObject::eventFilter(watched, event);
}

void ProgressWindowController::close() {
    if (m_mainWindow)
        m_mainWindow->removeEventFilter(this);
    if (!m_window)
        return;
    m_window->close();
    delete m_window;
}
