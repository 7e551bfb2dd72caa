#include "backup/console_relay.h"

#include <QMetaObject>
#include <QThread>

namespace navlor {

namespace {

class ConsoleRelay final : public BackupConsole
{
public:
    ConsoleRelay(QObject& context, BackupConsole& console) : m_context(context), m_console(console)
    {
    }

    QString dataDirectory() override
    {
        return there([this] { return m_console.dataDirectory(); });
    }
    QString systemDirectory() override
    {
        return there([this] { return m_console.systemDirectory(); });
    }
    QString programPath() override
    {
        return there([this] { return m_console.programPath(); });
    }
    void ADD_MSG(const QString& text) override
    {
        there([&] { m_console.ADD_MSG(text); });
    }
    QString messageText() override
    {
        return there([this] { return m_console.messageText(); });
    }
    bool stopRequested() override
    {
        return there([this] { return m_console.stopRequested(); });
    }
    QStringList searchFiles(const QString& directory, const QString& name) override
    {
        return there([&] { return m_console.searchFiles(directory, name); });
    }
    // Nothing to keep alive: the window thread is not held up by the run.
    void keepAlive() override {}
    void jobChanged(const BackupJob& job) override
    {
        there([&] { m_console.jobChanged(job); });
    }
    void passPosition(int index, int count) override
    {
        there([&] { m_console.passPosition(index, count); });
    }
    std::function<void()> batchWaiter(const QString& number, const QString& archivePath) override
    {
        auto waiter = std::make_shared<std::function<void()>>(
            there([&] { return m_console.batchWaiter(number, archivePath); }));
        if (!*waiter)
            return {};
        // The progress is shown when the window thread gets to it; the wait does not stop.
        QObject* context = &m_context;
        return [context, waiter] {
            QMetaObject::invokeMethod(
                context, [waiter] { (*waiter)(); }, Qt::QueuedConnection);
        };
    }
    int archiverCeilingSeconds() override
    {
        return there([this] { return m_console.archiverCeilingSeconds(); });
    }
    ArchiveVerdict verifyArchive(const QString& archiver, const QString& archivePath,
                                 const BackupJob& job, int ceilingSeconds, bool checkListing,
                                 const std::optional<QList<SelectedFile>>& expected) override
    {
        return m_console.verifyArchive(archiver, archivePath, job, ceilingSeconds, checkListing,
                                       expected);
    }
    bool testRestoreWanted() override
    {
        return there([this] { return m_console.testRestoreWanted(); });
    }

private:
    template <typename Call> auto there(Call call) -> decltype(call())
    {
        if (QThread::currentThread() == m_context.thread())
            return call();
        if constexpr (std::is_void_v<decltype(call())>) {
            QMetaObject::invokeMethod(&m_context, call, Qt::BlockingQueuedConnection);
        } else {
            decltype(call()) result{};
            QMetaObject::invokeMethod(
                &m_context, [&] { result = call(); }, Qt::BlockingQueuedConnection);
            return result;
        }
    }

    QObject& m_context;
    BackupConsole& m_console;
};

} // namespace

std::unique_ptr<BackupConsole> relayToThreadOf(QObject& context, BackupConsole& console)
{
    return std::make_unique<ConsoleRelay>(context, console);
}

} // namespace navlor
