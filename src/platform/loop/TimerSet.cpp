#include "platform/loop/TimerSet.h"

#include <algorithm>

void TimerSet::Set(HWND hwnd, UINT id, uint32_t periodMs, uint64_t nowMs)
{
    periodMs = std::max(periodMs, kMinimumPeriodMs);
    for (Timer& t : m_timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.periodMs = periodMs;
            t.dueMs = nowMs + periodMs;
            t.order = m_nextOrder++;
            return;
        }
    }
    m_timers.push_back({ hwnd, id, periodMs, nowMs + periodMs, m_nextOrder++ });
}

bool TimerSet::Kill(HWND hwnd, UINT id)
{
    return std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }) > 0;
}

void TimerSet::KillAll(HWND hwnd)
{
    std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd; });
}

std::optional<uint64_t> TimerSet::NextDue() const
{
    std::optional<uint64_t> next;
    for (const Timer& t : m_timers) {
        if (!next || t.dueMs < *next)
            next = t.dueMs;
    }
    return next;
}

std::optional<TimerSet::Timer> TimerSet::TakeDue(uint64_t nowMs)
{
    Timer* best = nullptr;
    for (Timer& t : m_timers) {
        if (t.dueMs > nowMs)
            continue;
        if (!best || t.dueMs < best->dueMs || (t.dueMs == best->dueMs && t.order < best->order))
            best = &t;
    }
    if (!best)
        return std::nullopt;
    Timer fired = *best;
    best->dueMs = nowMs + best->periodMs;
    best->order = m_nextOrder++;
    return fired;
}
