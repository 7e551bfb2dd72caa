#pragma once

// A private session bus with a desktop's notification service on it, that keeps what it is
// told, for the programs a test starts.

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QVariantMap>

namespace navlor::e2e {

class NotificationListener : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    NotificationListener();
    ~NotificationListener() override;

    // Empty when the bus runs and the service is ours; else what went wrong.
    const QString& error() const { return m_error; }
    // For the environment of the programs started: DBUS_SESSION_BUS_ADDRESS.
    const QString& address() const { return m_address; }
    // "summary | body | urgency" of each notification received so far.
    QStringList received();

public slots:
    uint Notify(const QString& application, uint replaces, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout);

private:
    QProcess m_daemon;
    QString m_address;
    QString m_error;
    QStringList m_received;
};

} // namespace navlor::e2e
