#include "DesktopFileRevealer.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QUrl>

Q_LOGGING_CATEGORY(lcReveal, "zerafin.desktop.reveal")

DesktopFileRevealer::DesktopFileRevealer(const QDBusConnection& bus) : m_bus(bus) {}

void DesktopFileRevealer::revealFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (m_bus.isConnected()) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(objectPath),
                                           QString::fromLatin1(service), "ShowItems");
        call << QStringList{QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded)} << QString();
        // Waits briefly: without a file manager on the bus the answer is an error at once.
        const QDBusMessage answer = m_bus.call(call, QDBus::Block, 3000);
        if (answer.type() == QDBusMessage::ReplyMessage)
            return;
        qCDebug(lcReveal) << "file manager did not answer ShowItems:" << answer.errorMessage();
    }
    openFolder(QFileInfo(absolute).absolutePath());
}

void DesktopFileRevealer::openFolder(const QString& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        qCWarning(lcReveal) << "folder not opened:" << path;
}
