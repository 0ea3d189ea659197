#pragma once

// The clock of the status program: the local hour and minute at the start, at every minute
// boundary and whenever the wall clock or the time zone changes. It only decides what to send and
// when to wake next; the wake-ups come from its TimeSource.

#include "TimeSource.h"

#include <cstdint>
#include <functional>

class MinuteClock {
public:
    using Send = std::function<void(int hour, int minute)>;

    MinuteClock(TimeSource& time, Send send);

    // Sends the time now and waits for the next minute.
    void Start();
    // The armed moment came (or the source woke early): sends once the minute has turned.
    void OnTimer();
    // The wall clock was set or the time zone changed: the time at once, and a new wake-up.
    void OnClockChanged();

    // The wall clock second the next wake-up is armed for.
    int64_t ArmedFor() const { return m_nextBoundary; }

private:
    void SendNowAndArm();

    TimeSource& m_time;
    Send m_send;
    int64_t m_nextBoundary = 0;
};
