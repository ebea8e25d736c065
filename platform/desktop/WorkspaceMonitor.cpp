#include "WorkspaceMonitor.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <xcb/xcb.h>

WorkspaceMonitor::WorkspaceMonitor(QObject* parent) : QObject(parent) {}

WorkspaceMonitor::~WorkspaceMonitor() {
    if (m_watching && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

WorkspaceMonitor& WorkspaceMonitor::shared() {
    static WorkspaceMonitor* instance = [] {
        auto* made = new WorkspaceMonitor();
        made->watchX11();
        return made;
    }();
    return *instance;
}

bool WorkspaceMonitor::watchX11() {
    if (m_watching)
        return true;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return false;
    xcb_connection_t* connection = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return false;
    m_root = screen->root;
    const char name[] = "_NET_CURRENT_DESKTOP";
    if (auto* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr)) {
        m_currentDesktopAtom = reply->atom;
        free(reply);
    }
    // Add property changes to what this client already selects on the root window.
    uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    if (auto* attributes = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, m_root), nullptr)) {
        mask |= attributes->your_event_mask;
        free(attributes);
    }
    xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_watching = true;
    return true;
}

bool WorkspaceMonitor::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
        return false;
    auto* property = reinterpret_cast<xcb_property_notify_event_t*>(event);
    if (property->window == m_root && property->atom == m_currentDesktopAtom)
        emit activeSpaceDidChange();
    return false;
}
