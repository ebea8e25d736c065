#pragma once

#include <QDBusConnection>
#include <QObject>
#include <optional>

// Tells when what the user sees of the desktop changes as a whole: the session's screen saver or
// screen lock turning on or off (ActiveChanged of org.freedesktop.ScreenSaver, or of
// org.gnome.ScreenSaver, on the session bus). The desktop windows sit below every other window,
// so covering and uncovering the whole screen is the occlusion change that matters for them.
// Each real change of the active state is reported once, however many interfaces announce it.
class OcclusionMonitor : public QObject {
    Q_OBJECT
public:
    explicit OcclusionMonitor(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    bool isListening() const { return m_listening; }

signals:
    void occlusionStateChanged();

private slots:
    void onActiveChanged(bool active);

private:
    bool m_listening = false;
    std::optional<bool> m_active;
};
