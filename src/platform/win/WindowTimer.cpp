#include "platform/win/WindowTimer.h"

#include "platform/win/Window.h"

void WindowTimer::Start(UINT periodMs, OnTick onTick)
{
    Start(periodMs, -1, std::move(onTick), {});
}

void WindowTimer::Start(UINT periodMs, int tickLimit, OnTick onTick, OnGiveUp onGiveUp)
{
    m_onTick = std::move(onTick);
    m_onGiveUp = std::move(onGiveUp);
    m_tickLimit = tickLimit;
    m_ticks = 0;
    m_running = m_owner.SetTimer(m_id, periodMs) != 0;
}

void WindowTimer::Stop()
{
    if (m_running)
        m_owner.KillTimer(m_id);
    m_running = false;
}

bool WindowTimer::Handle(UINT id)
{
    if (id != m_id)
        return false;
    if (!m_running)
        return true;
    ++m_ticks;
    // Copies: what they call may start this timer again with new ones.
    if (m_tickLimit >= 0 && m_ticks > m_tickLimit) {
        Stop();
        if (OnGiveUp giveUp = m_onGiveUp)
            giveUp();
    } else if (OnTick tick = m_onTick) {
        tick(m_ticks);
    }
    return true;
}
