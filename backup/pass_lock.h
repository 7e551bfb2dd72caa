#pragma once

// One pass at a time per installation: the start-up pass and "Executar" hold a lock file in
// the data directory for the whole of their work. The system frees it when the process ends,
// however it ends, so a killed pass never blocks the next one.

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace navlor {

class FileLock;

// "Aguardando outra execução do NAVLOR..."
QString passLockWaitText();

class PassLock
{
public:
    // Takes the lock of the installation in `dataDirectory`. When another process holds it,
    // `waiting` is called once, then the lock is asked for every second for up to
    // `waitSeconds`, `tick` called between; a request to end the program, or the current run's
    // cancel request, stops the wait.
    // Within this process the lock is taken once and shared by nested holders. Where no lock
    // file can be made at all (a read-only data directory) the work goes on unlocked.
    PassLock(const QString& dataDirectory, int waitSeconds, const std::function<void()>& waiting,
             const std::function<void()>& tick = {});
    ~PassLock();
    PassLock(const PassLock&) = delete;
    PassLock& operator=(const PassLock&) = delete;

    bool held() const { return m_held; }

    // When this process took the lock it holds; nothing when it holds none. Whatever a
    // pass left in a destination before then belongs to no pass still running.
    static std::optional<QDateTime> heldSince();

private:
    bool m_held = false;
};

QString passLockPath(const QString& dataDirectory); // + "\NAVLOR.TRAVA"

} // namespace navlor
