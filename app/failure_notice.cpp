#include "app/failure_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>

namespace navlor {

namespace {

// A session bus is only asked for when one is there: without one Qt could try to start one.
bool sessionBusPresent()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

} // namespace

bool notifyFailedPass(const QString& text)
{
    if (!sessionBusPresent())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    constexpr uchar kCritical = 2;
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(kCritical)}};
    call << QStringLiteral("NAVLOR") << 0u << QStringLiteral("dialog-error")
         << QStringLiteral("NAVLOR: BKP automático com erro") << text << QStringList() << hints
         << 0; // 0: the notification never expires by itself
    // A desktop answers at once; a bus without one is not waited for long.
    constexpr int kTimeoutMs = 3000;
    return bus.call(call, QDBus::Block, kTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace navlor
