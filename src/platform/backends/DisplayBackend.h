#pragma once

// What the window system needs from the machine: a way to sleep until something happens, a way
// for other threads to wake that sleep, and a screen to show what was painted. The headless
// backend keeps the screen in memory; the SDL backend shows it in a real window and turns the
// mouse, touch and keyboard into input.

#include "platform/core/Types.h"

#include <atomic>
#include <cstdint>
#include <optional>

class Surface;
class WindowSystem;

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;

    // Sleeps until Wake, input, or the time-out (none: no time-out). Called on the UI thread only.
    virtual void WaitForEvents(std::optional<uint32_t> timeoutMs) = 0;
    // Any thread.
    virtual void Wake() = 0;
    // Hands pending input to the window system (UI thread).
    virtual void PumpInput(WindowSystem&) { }
    // Shows the screen after a round of painting; `dirty` bounds what changed.
    virtual void Present(const Surface& screen, const RECT& dirty) { }
    // The device's top-level frame was shown or hidden.
    virtual void SetScreenVisible(bool visible) { }
    // Shows or hides the wait cursor.
    virtual void SetBusy(bool busy) { }

    // How often WaitForEvents returned: the idle test counts these.
    uint64_t WakeUps() const { return m_wakeUps.load(std::memory_order_relaxed); }
    // How many rounds of painting were shown.
    uint64_t Presents() const { return m_presents.load(std::memory_order_relaxed); }

protected:
    void CountWakeUp() { m_wakeUps.fetch_add(1, std::memory_order_relaxed); }
    // Called by Present. The first one goes to the trace as "app first present": the moment a
    // person sees the program, which the start-up benchmark times from outside.
    void CountPresent();

private:
    std::atomic<uint64_t> m_wakeUps { 0 };
    std::atomic<uint64_t> m_presents { 0 };
};
