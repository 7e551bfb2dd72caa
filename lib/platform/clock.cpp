#include "lib/platform/clock.h"

#include <QThread>

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

FakeClock::FakeClock(QDateTime start) : m_now(std::move(start)) {}

void FakeClock::sleep(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    m_now = m_now.addMSecs(milliseconds);
    m_slept += milliseconds;
}

} // namespace navlor
