#pragma once

#include <QDBusConnection>
#include <QString>

// A well-known name on the session bus, the way each program says "I am running": the first
// process to claim the name owns it until it exits; a second start finds it owned.
class SessionBusName {
public:
    enum class Claim {
        owned,        // this process now owns the name
        alreadyOwned, // another process owns it: this one is a second start
        noBus,        // no session bus: nothing can tell, the caller runs on
    };

    static Claim claim(const QString& name, QDBusConnection connection = QDBusConnection::sessionBus());
    // Whether some process owns the name (false without a session bus).
    static bool isOwned(const QString& name, QDBusConnection connection = QDBusConnection::sessionBus());
};
