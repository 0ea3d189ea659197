#pragma once

// One clock for all time in the program: monotonic milliseconds for timers and waits, the system
// (UTC) and local time, and Sleep. The real clock is the default; tests and OSTRILAN_CLOCK=virtual
// install a virtual one that moves only when told, so every timer and wait can be checked at once.

#include "platform/core/Types.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

class Clock {
public:
    virtual ~Clock() = default;

    // Monotonic milliseconds; only differences mean anything.
    virtual uint64_t NowMs() const = 0;
    // Milliseconds since 1970-01-01 00:00 UTC.
    virtual int64_t UtcMs() const = 0;
    virtual void Sleep(uint32_t ms) = 0;
    virtual bool IsVirtual() const { return false; }

    SYSTEMTIME SystemTime() const;
    SYSTEMTIME LocalTime() const;

    // The clock everything uses. Install replaces it (nullptr restores the real clock); the caller
    // keeps the installed clock alive while it is installed.
    static Clock& Current();
    static void Install(Clock* clock);

    // Called by the virtual clock whenever it moves, so a sleeping loop can look at its timers.
    using MoveListener = void (*)(void* context);
};

class RealClock final : public Clock {
public:
    uint64_t NowMs() const override;
    int64_t UtcMs() const override;
    void Sleep(uint32_t ms) override;
};

class VirtualClock final : public Clock {
public:
    // Starts at the given UTC time; the monotonic count starts at an arbitrary non-zero value.
    explicit VirtualClock(int64_t startUtcMs);
    // Starts at the real clock's current time.
    VirtualClock();

    uint64_t NowMs() const override;
    int64_t UtcMs() const override;
    // On the owner thread (the one that created the clock, normally the UI thread) the clock moves
    // at once and nothing real blocks; another thread waits until the owner moves the clock there.
    void Sleep(uint32_t ms) override;
    bool IsVirtual() const override { return true; }

    void Advance(uint64_t ms);
    // How many other threads wait in Sleep for the clock to move.
    size_t Sleepers() const;
    void SetOwnerThread(std::thread::id id);
    void SetMoveListener(MoveListener listener, void* context);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_moved;
    uint64_t m_nowMs = 1'000'000;
    size_t m_sleepers = 0;
    int64_t m_utcAtStart = 0;
    uint64_t m_monoAtStart = 1'000'000;
    std::thread::id m_owner = std::this_thread::get_id();
    MoveListener m_listener = nullptr;
    void* m_listenerContext = nullptr;
};

// Parses a local time "YYYY-MM-DDTHH:MM:SS" into UTC milliseconds (the machine's time zone).
bool ParseLocalTime(const char* text, int64_t& utcMs);

// The device's time functions, on the current clock.
DWORD GetTickCount();
void GetSystemTime(SYSTEMTIME* st);
void GetLocalTime(SYSTEMTIME* st);
void Sleep(DWORD ms);
