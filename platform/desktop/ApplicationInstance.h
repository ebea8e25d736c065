#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// One copy of a program per session. The first start owns the program's name on the session bus
// and answers the method Reopen (object /com/tovan/zerafin, interface
// com.tovan.zerafin.Application) by emitting `reopenRequested`; a later start finds the name
// owned, calls Reopen on the running copy and is told to end.
class ApplicationInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.tovan.zerafin.Application")
public:
    static constexpr const char* objectPath = "/com/tovan/zerafin";
    static constexpr const char* interfaceName = "com.tovan.zerafin.Application";

    enum class Start {
        first,     // this process owns the name and answers Reopen
        forwarded, // another copy runs and was asked to show itself: end this one
        noBus,     // no session bus: nothing can tell, the program runs on its own
    };

    explicit ApplicationInstance(QDBusConnection connection = QDBusConnection::sessionBus(),
                                 QObject* parent = nullptr);
    ~ApplicationInstance() override;

    // Exports Reopen, then claims `busName`; when another process owns it, asks that one to reopen.
    Start start(const QString& busName);

public slots:
    Q_SCRIPTABLE void Reopen();

signals:
    void reopenRequested();

private:
    QDBusConnection m_connection;
    bool m_exported = false;
};
