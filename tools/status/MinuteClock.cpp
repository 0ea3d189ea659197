#include "MinuteClock.h"

#include <ctime>
#include <utility>

namespace {

constexpr int64_t kSecondsPerMinute = 60;
constexpr int64_t kMsPerSecond = 1000;

// Every time zone in use is a whole number of minutes off UTC, so a local minute turns when the
// UTC one does.
int64_t NextMinuteAfter(int64_t utcMs)
{
    int64_t seconds = utcMs / kMsPerSecond;
    if (utcMs < 0 && utcMs % kMsPerSecond != 0)
        --seconds;
    int64_t minute = seconds / kSecondsPerMinute;
    if (seconds < 0 && seconds % kSecondsPerMinute != 0)
        --minute;
    return (minute + 1) * kSecondsPerMinute;
}

}

MinuteClock::MinuteClock(TimeSource& time, Send send)
    : m_time(time)
    , m_send(std::move(send))
{
}

void MinuteClock::Start()
{
    SendNowAndArm();
}

void MinuteClock::OnClockChanged()
{
    SendNowAndArm();
}

void MinuteClock::OnTimer()
{
    if (m_time.NowUtcMs() < m_nextBoundary * kMsPerSecond) {
        // Woken before the minute turned: only wait again.
        m_time.ArmAt(m_nextBoundary);
        return;
    }
    SendNowAndArm();
}

void MinuteClock::SendNowAndArm()
{
    const int64_t nowMs = m_time.NowUtcMs();
    std::time_t seconds = static_cast<std::time_t>(nowMs / kMsPerSecond);
    std::tm local {};
    if (localtime_r(&seconds, &local))
        m_send(local.tm_hour, local.tm_min);
    m_nextBoundary = NextMinuteAfter(nowMs);
    m_time.ArmAt(m_nextBoundary);
}
