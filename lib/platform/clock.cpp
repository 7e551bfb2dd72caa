#include "lib/platform/clock.h"

#include <QThread>
#include <QTimer>

#include <algorithm>

namespace navlor {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

void SystemClock::sleep(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void SystemClock::callAfter(int milliseconds, QObject* context, std::function<void()> then)
{
    QTimer::singleShot(std::max(milliseconds, 0), context, std::move(then));
}

FakeClock::FakeClock(QDateTime start) : m_now(std::move(start)) {}

void FakeClock::sleep(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    m_now = m_now.addMSecs(milliseconds);
    m_slept += milliseconds;
}

void FakeClock::callAfter(int milliseconds, QObject* context, std::function<void()> then)
{
    sleep(milliseconds);
    QTimer::singleShot(0, context, std::move(then));
}

} // namespace navlor
