#include "DesktopWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <cstring>
#include <xcb/xcb.h>

namespace {
xcb_connection_t* x11Connection() {
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        return x11->connection();
    return nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t value = reply->atom;
    free(reply);
    return value;
}

xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window) {
    xcb_query_tree_reply_t* reply =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!reply)
        return XCB_WINDOW_NONE;
    const xcb_window_t root = reply->root;
    free(reply);
    return root;
}

const char* const kStates[] = {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                               "_NET_WM_STATE_SKIP_PAGER"};
constexpr uint32_t kAllDesktops = 0xFFFFFFFF;
} // namespace

DesktopWindow::DesktopWindow(const QRect& screenFrame, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_screenFrame(screenFrame) {
    setAttribute(Qt::WA_X11NetWmWindowTypeDesktop);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setGeometry(screenFrame);
}

void DesktopWindow::setDesktopLevel() {
    if (m_desktopLevel)
        return;
    m_desktopLevel = true;
    applyX11Properties();
}

void DesktopWindow::applyX11Properties() {
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    // Create the native window (not mapped yet) so its properties are in place before the window
    // manager first sees it.
    const auto window = xcb_window_t(winId());
    const xcb_atom_t desktopType = atom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom(connection, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &desktopType);
    std::vector<xcb_atom_t> states;
    for (const char* name : kStates)
        states.push_back(atom(connection, name));
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, atom(connection, "_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, uint32_t(states.size()), states.data());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom(connection, "_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &kAllDesktops);
    xcb_flush(connection);
}

void DesktopWindow::announceX11State() {
    // A window manager only follows changes of a mapped window that are asked for through the root
    // window; ask again, in case the hints set before mapping were replaced.
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    const auto window = xcb_window_t(winId());
    const xcb_window_t root = rootOf(connection, window);
    if (root == XCB_WINDOW_NONE)
        return;
    auto send = [&](xcb_atom_t type, uint32_t d0, uint32_t d1, uint32_t d2) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = type;
        message.data.data32[0] = d0;
        message.data.data32[1] = d1;
        message.data.data32[2] = d2;
        message.data.data32[3] = 1; // from a normal application
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    };
    const xcb_atom_t netWmState = atom(connection, "_NET_WM_STATE");
    send(netWmState, 1, atom(connection, kStates[0]), atom(connection, kStates[1]));
    send(netWmState, 1, atom(connection, kStates[2]), 0);
    send(atom(connection, "_NET_WM_DESKTOP"), kAllDesktops, 0, 0);
    xcb_flush(connection);
}

void DesktopWindow::showAtLevel() {
    if (isVisible())
        return;
    setDesktopLevel();
    setGeometry(m_screenFrame);
    show();
    announceX11State();
}

void DesktopWindow::orderFront() {
    m_lastOrder = Order::front;
    showAtLevel();
    raise();
}

void DesktopWindow::orderBack() {
    m_lastOrder = Order::back;
    showAtLevel();
    lower();
}

void DesktopWindow::orderOut() {
    m_lastOrder = Order::out;
    hide();
}

void DesktopWindow::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void DesktopWindow::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}
