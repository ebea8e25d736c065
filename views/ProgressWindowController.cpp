#include "ProgressWindowController.h"

#include "ProgressWindow.h"

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
    QRect area;
    if (mainWindow) {
        // A child window stays in front of its parent and goes with it.
        m_window->setParent(mainWindow->window(), m_window->windowFlags());
        area = mainWindow->window()->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    QRect frame(QPoint(0, 0), m_window->size());
    frame.moveCenter(area.center());
    m_window->move(frame.topLeft());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void ProgressWindowController::close() {
    if (!m_window)
        return;
    m_window->close();
    delete m_window;
}
