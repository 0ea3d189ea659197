#pragma once

// The windows' timers: one per window and id; setting an existing one restarts it. A due timer
// becomes one WM_TIMER however late the loop gets to it, and then counts its period from that
// moment, as the device's timers did.

#include "platform/core/Types.h"

#include <cstdint>
#include <optional>
#include <vector>

class TimerSet {
public:
    struct Timer {
        HWND hwnd = nullptr;
        UINT id = 0;
        uint32_t periodMs = 0;
        uint64_t dueMs = 0;
        uint64_t order = 0;
    };

    // Timers shorter than this fire at this period, so a zero period cannot spin the loop.
    static constexpr uint32_t kMinimumPeriodMs = 10;

    void Set(HWND hwnd, UINT id, uint32_t periodMs, uint64_t nowMs);
    bool Kill(HWND hwnd, UINT id);
    void KillAll(HWND hwnd);

    // The earliest due time, if any timer runs.
    std::optional<uint64_t> NextDue() const;
    // Takes the earliest timer due at `nowMs` (ties in the order they were set) and restarts it.
    std::optional<Timer> TakeDue(uint64_t nowMs);
    bool IsEmpty() const { return m_timers.empty(); }

private:
    std::vector<Timer> m_timers;
    uint64_t m_nextOrder = 0;
};
