#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// Reports a change of the active workspace. On X11 that is a change of _NET_CURRENT_DESKTOP on the
// root window; elsewhere nothing is reported unless someone calls activeSpaceDidChange().
class WorkspaceMonitor : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit WorkspaceMonitor(QObject* parent = nullptr);
    ~WorkspaceMonitor() override;
    // The process's monitor, watching the X11 root window when there is one.
    static WorkspaceMonitor& shared();

    // Starts watching the X11 root window (nothing without X11). Returns whether it watches.
    bool watchX11();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void activeSpaceDidChange();

private:
    bool m_watching = false;
    unsigned int m_root = 0;
    unsigned int m_currentDesktopAtom = 0;
};
