#pragma once

// A timer of a window together with what it does. A wait is started with its period, how many
// ticks it may take and what to do on a tick and on giving up; a plain timer just ticks until it
// is stopped. The window hands every WM_TIMER to Handle. Ticks already queued when it was stopped
// are ignored, so nobody needs a done flag beside it. Like every timer it runs on the clock,
// virtual in tests.

#include "platform/core/Types.h"

#include <functional>

class Window;

class WindowTimer {
public:
    // Ticks count from 1.
    using OnTick = std::function<void(int tick)>;
    using OnGiveUp = std::function<void()>;

    WindowTimer(Window& owner, UINT id)
        : m_owner(owner)
        , m_id(id)
    {
    }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    // Ticks every periodMs until stopped; a running timer starts again from its first tick.
    void Start(UINT periodMs, OnTick onTick);
    // Ticks at most tickLimit times; the tick after that stops the timer and gives up instead.
    void Start(UINT periodMs, int tickLimit, OnTick onTick, OnGiveUp onGiveUp);
    void Stop();
    // Counts its ticks from here again, keeping the rhythm it has: a wait that a user's action
    // extends without moving its ticks.
    void RestartCount() { m_ticks = 0; }
    bool Running() const { return m_running; }
    UINT Id() const { return m_id; }

    // True when the timer message was this timer's, whether or not it still ran.
    bool Handle(UINT id);

private:
    Window& m_owner;
    const UINT m_id;
    bool m_running = false;
    int m_ticks = 0;
    int m_tickLimit = -1;
    OnTick m_onTick;
    OnGiveUp m_onGiveUp;
};
