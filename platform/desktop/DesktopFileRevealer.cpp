#include "DesktopFileRevealer.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QUrl>

Q_LOGGING_CATEGORY(lcReveal, "zerafin.desktop.reveal")

namespace {
void openWithDesktop(const QString& folder) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        qCWarning(lcReveal) << "folder not opened:" << folder;
}
} // namespace

DesktopFileRevealer::DesktopFileRevealer(const QDBusConnection& bus) : m_bus(bus) {}

void DesktopFileRevealer::revealFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString folder = QFileInfo(absolute).absolutePath();
    if (!m_bus.isConnected()) {
        openFolder(folder);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(objectPath),
                                       QString::fromLatin1(service), "ShowItems");
    call << QStringList{QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded)} << QString();
    // Answered later: a file manager that has to be started first never holds up the window.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, folder] {
        watcher->deleteLater();
        if (!watcher->isError())
            return;
        qCDebug(lcReveal) << "file manager did not show the file:" << watcher->error().message();
        openWithDesktop(folder);
    });
}

void DesktopFileRevealer::openFolder(const QString& path) {
    openWithDesktop(path);
}
