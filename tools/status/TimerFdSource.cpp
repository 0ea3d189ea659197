#include "TimerFdSource.h"

#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

TimerFdSource::TimerFdSource()
    : m_fd(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK))
{
}

TimerFdSource::~TimerFdSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int64_t TimerFdSource::NowUtcMs() const
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

bool TimerFdSource::ArmAt(int64_t utcSeconds)
{
    itimerspec when {};
    when.it_value.tv_sec = static_cast<time_t>(utcSeconds);
    return m_fd >= 0
        && ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr) == 0;
}

TimerFdSource::Wake TimerFdSource::Read()
{
    uint64_t expirations = 0;
    ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    if (n == static_cast<ssize_t>(sizeof expirations))
        return Wake::kTimer;
    // The clock was set: the kernel cancelled the timer and says so once.
    if (n < 0 && errno == ECANCELED)
        return Wake::kClockChanged;
    return Wake::kNothing;
}
