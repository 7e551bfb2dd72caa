#include "backup/pass_lock.h"

#include "lib/platform/clock.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"

namespace navlor {

namespace {

// The lock this process holds, shared by nested holders (the start-up pass runs its jobs
// under its own lock).
struct HeldLock
{
    std::unique_ptr<FileLock> lock;
    QString path;
    QDateTime since;
    int holders = 0;
};

HeldLock& processLock()
{
    static HeldLock lock;
    return lock;
}

} // namespace

QString passLockWaitText()
{
    return QStringLiteral("Aguardando outra execução do NAVLOR...");
}

QString passLockPath(const QString& dataDirectory)
{
    return dataDirectory + QStringLiteral("\\NAVLOR.TRAVA");
}

PassLock::PassLock(const QString& dataDirectory, int waitSeconds,
                   const std::function<void()>& waiting, const std::function<void()>& tick)
{
    HeldLock& current = processLock();
    const QString path = passLockPath(dataDirectory);
    if (current.holders > 0) {
        // Another installation's lock is not this one: nested holders share only the same.
        if (current.path.compare(path, Qt::CaseInsensitive) != 0)
            return;
        ++current.holders;
        m_held = true;
        return;
    }
    Platform& p = platform();
    std::unique_ptr<FileLock> lock = p.tryLockFile(path);
    // No lock file at all: none can be made there (a read-only or missing data directory), so
    // no pass holds one either. Waiting would only keep the backup from running.
    if (!lock && !p.fileExists(path)) {
        m_held = true;
        return;
    }
    if (!lock && waiting)
        waiting();
    for (int second = 0;
         !lock && second < waitSeconds && !interruptRequested() && !cancelRequested(); ++second) {
        if (tick)
            tick();
        p.clock().sleep(1000);
        lock = p.tryLockFile(path);
    }
    if (!lock)
        return;
    current.lock = std::move(lock);
    current.path = path;
    current.since = p.clock().now();
    current.holders = 1;
    m_held = true;
}

PassLock::~PassLock()
{
    if (!m_held)
        return;
    HeldLock& current = processLock();
    if (--current.holders == 0) {
        current.lock.reset();
        current.path.clear();
        current.since = {};
    }
}

std::optional<QDateTime> PassLock::heldSince()
{
    const HeldLock& current = processLock();
    if (current.holders == 0)
        return std::nullopt;
    return current.since;
}

} // namespace navlor
