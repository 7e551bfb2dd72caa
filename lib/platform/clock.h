#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>

namespace navlor {

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Blocks the calling thread; nothing else runs meanwhile.
    virtual void sleep(int milliseconds) = 0;
    // Calls `then` from the event loop of `context`'s thread once `milliseconds` have passed;
    // nothing waits meanwhile. Not called when `context` is gone by then.
    virtual void callAfter(int milliseconds, QObject* context, std::function<void()> then) = 0;
};

// Wall clock of the host.
class SystemClock : public Clock
{
public:
    QDateTime now() const override;
    void sleep(int milliseconds) override;
    void callAfter(int milliseconds, QObject* context, std::function<void()> then) override;
};

// Virtual time: sleeping advances it at once. For tests.
class FakeClock : public Clock
{
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
    QDateTime now() const override { return m_now; }
    void sleep(int milliseconds) override;
    // The time passes at once; `then` comes from the event loop as soon as it runs.
    void callAfter(int milliseconds, QObject* context, std::function<void()> then) override;
    void set(const QDateTime& now) { m_now = now; }
    qint64 sleptMilliseconds() const { return m_slept; }

private:
    QDateTime m_now;
    qint64 m_slept = 0;
};

} // namespace navlor
