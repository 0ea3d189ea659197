#pragma once

// Where the status program's clock comes from: the wall clock now, and a wake-up armed for a moment
// of it. The program uses a timerfd (TimerFdSource); the tests drive a source of their own.

#include <cstdint>

class TimeSource {
public:
    virtual ~TimeSource() = default;
    // The wall clock in milliseconds since 1970 (UTC).
    virtual int64_t NowUtcMs() const = 0;
    // Wakes the program when the wall clock reaches utcSeconds, or at once when the clock is set.
    virtual bool ArmAt(int64_t utcSeconds) = 0;
};
