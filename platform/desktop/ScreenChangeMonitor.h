#pragma once

#include "NotificationCenter.h"
#include "ScreenList.h"

#include <QObject>
#include <QTimer>
#include <chrono>

// Announces "the screens changed" once for a burst of changes: a monitor plugged in or out, a
// resolution or arrangement change (each of which the windowing system reports as several screen
// events in a row). Posts `notificationName` on the given notification centre after the burst of
// the screen list's change signals.
class ScreenChangeMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr const char* notificationName = "ApplicationDidChangeScreenParameters";

    ScreenChangeMonitor(ScreenList& screens, NotificationCenter& center,
                        std::chrono::milliseconds settle = std::chrono::milliseconds(250),
                        QObject* parent = nullptr);

    // Counts one screen event; the notification follows once events stop for the settle time.
    void screenEvent();

private:
    NotificationCenter& m_center;
    QTimer m_settle;
};
