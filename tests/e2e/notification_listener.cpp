#include "tests/e2e/notification_listener.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>

namespace navlor::e2e {

namespace {
const QString kConnection = QStringLiteral("navlor-e2e-notifications");
}

NotificationListener::NotificationListener()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    if (!m_daemon.waitForStarted() || !m_daemon.waitForReadyRead(5000)) {
        m_error = QStringLiteral("dbus-daemon did not start (is dbus-daemon installed?)");
        return;
    }
    m_address = QString::fromLatin1(m_daemon.readLine()).trimmed();
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, kConnection);
    if (!bus.isConnected() ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
        m_error = QStringLiteral("the notification service could not be registered: ") +
                  bus.lastError().message();
}

NotificationListener::~NotificationListener()
{
    QDBusConnection::disconnectFromBus(kConnection);
    m_daemon.kill();
    m_daemon.waitForFinished();
}

QStringList NotificationListener::received()
{
    QCoreApplication::processEvents(); // calls that came while the test waited
    return m_received;
}

uint NotificationListener::Notify(const QString& /*application*/, uint /*replaces*/,
                                  const QString& /*icon*/, const QString& summary,
                                  const QString& body, const QStringList& /*actions*/,
                                  const QVariantMap& hints, int /*timeout*/)
{
    m_received << summary + QStringLiteral(" | ") + body + QStringLiteral(" | ") +
                      QString::number(hints.value(QStringLiteral("urgency")).toInt());
    return uint(m_received.size());
}

} // namespace navlor::e2e
