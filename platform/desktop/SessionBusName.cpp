#include "SessionBusName.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcBusName, "zerafin.desktop.busname")
} // namespace

SessionBusName::Claim SessionBusName::claim(const QString& name, QDBusConnection connection) {
    if (!connection.isConnected() || !connection.interface())
        return Claim::noBus;
    // Never queue behind the owner and never let a later start take the name away.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        connection.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        qCWarning(lcBusName).noquote()
            << QStringLiteral("cannot claim the bus name %1: %2").arg(name, reply.error().message());
        return isOwned(name, connection) ? Claim::alreadyOwned : Claim::noBus;
    }
    return reply.value() == QDBusConnectionInterface::ServiceRegistered ? Claim::owned : Claim::alreadyOwned;
}

bool SessionBusName::isOwned(const QString& name, QDBusConnection connection) {
    if (!connection.isConnected() || !connection.interface())
        return false;
    const QDBusReply<bool> reply = connection.interface()->isServiceRegistered(name);
    return reply.isValid() && reply.value();
}
