#pragma once

// The wall clock and a timerfd on it, armed for an absolute moment and cancelled by the kernel when
// the clock is set (TFD_TIMER_CANCEL_ON_SET): the program sleeps in poll() on Fd() until either.

#include "TimeSource.h"

#include <cstdint>

class TimerFdSource : public TimeSource {
public:
    enum class Wake { kNothing, kTimer, kClockChanged };

    TimerFdSource();
    ~TimerFdSource() override;
    TimerFdSource(const TimerFdSource&) = delete;
    TimerFdSource& operator=(const TimerFdSource&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    int64_t NowUtcMs() const override;
    bool ArmAt(int64_t utcSeconds) override;
    // After poll() said Fd() is readable: what woke it.
    [[nodiscard]] Wake Read();

private:
    int m_fd = -1;
};
