#include "ApplicationInstance.h"

#include "SessionBusName.h"

#include <QDBusMessage>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcInstance, "zerafin.desktop")

ApplicationInstance::ApplicationInstance(QDBusConnection connection, QObject* parent)
    : QObject(parent), m_connection(std::move(connection)) {}

ApplicationInstance::~ApplicationInstance() {
    if (m_exported)
        m_connection.unregisterObject(QString::fromLatin1(objectPath));
}

ApplicationInstance::Start ApplicationInstance::start(const QString& busName) {
    if (!m_connection.isConnected())
        return Start::noBus;
    // The method is there before the name is, so a second start never calls into nothing.
    if (!m_exported)
        m_exported = m_connection.registerObject(QString::fromLatin1(objectPath), this,
                                                 QDBusConnection::ExportScriptableSlots);
    switch (SessionBusName::claim(busName, m_connection)) {
    case SessionBusName::Claim::owned:
        return Start::first;
    case SessionBusName::Claim::noBus:
        return Start::noBus;
    case SessionBusName::Claim::alreadyOwned:
        break;
    }
    if (m_exported) {
        m_connection.unregisterObject(QString::fromLatin1(objectPath));
        m_exported = false;
    }
    const QDBusMessage call =
        QDBusMessage::createMethodCall(busName, QString::fromLatin1(objectPath),
                                       QString::fromLatin1(interfaceName), QStringLiteral("Reopen"));
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage)
        qCWarning(lcInstance).noquote() << "the running copy did not answer Reopen:" << reply.errorMessage();
    return Start::forwarded;
}

void ApplicationInstance::Reopen() {
    emit reopenRequested();
}
