#include "platform/loop/Clock.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

RealClock g_realClock;
std::atomic<Clock*> g_current { &g_realClock };

SYSTEMTIME FromTm(const std::tm& tm, int64_t utcMs)
{
    SYSTEMTIME st;
    st.wYear = WORD(tm.tm_year + 1900);
    st.wMonth = WORD(tm.tm_mon + 1);
    st.wDayOfWeek = WORD(tm.tm_wday);
    st.wDay = WORD(tm.tm_mday);
    st.wHour = WORD(tm.tm_hour);
    st.wMinute = WORD(tm.tm_min);
    st.wSecond = WORD(tm.tm_sec);
    int64_t ms = utcMs % 1000;
    st.wMilliseconds = WORD(ms < 0 ? ms + 1000 : ms);
    return st;
}

std::time_t SecondsOf(int64_t utcMs)
{
    return std::time_t(utcMs >= 0 ? utcMs / 1000 : (utcMs - 999) / 1000);
}

}

Clock& Clock::Current() { return *g_current.load(std::memory_order_acquire); }

void Clock::Install(Clock* clock) { g_current.store(clock ? clock : &g_realClock, std::memory_order_release); }

SYSTEMTIME Clock::SystemTime() const
{
    int64_t ms = UtcMs();
    std::time_t t = SecondsOf(ms);
    std::tm tm {};
    gmtime_r(&t, &tm);
    return FromTm(tm, ms);
}

SYSTEMTIME Clock::LocalTime() const
{
    int64_t ms = UtcMs();
    std::time_t t = SecondsOf(ms);
    std::tm tm {};
    localtime_r(&t, &tm);
    return FromTm(tm, ms);
}

uint64_t RealClock::NowMs() const
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int64_t RealClock::UtcMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void RealClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

VirtualClock::VirtualClock(int64_t startUtcMs)
    : m_utcAtStart(startUtcMs)
{
}

VirtualClock::VirtualClock()
    : VirtualClock(RealClock().UtcMs())
{
}

uint64_t VirtualClock::NowMs() const
{
    std::lock_guard lock(m_mutex);
    return m_nowMs;
}

int64_t VirtualClock::UtcMs() const
{
    std::lock_guard lock(m_mutex);
    return m_utcAtStart + int64_t(m_nowMs - m_monoAtStart);
}

void VirtualClock::Advance(uint64_t ms)
{
    MoveListener listener;
    void* context;
    {
        std::lock_guard lock(m_mutex);
        m_nowMs += ms;
        listener = m_listener;
        context = m_listenerContext;
    }
    m_moved.notify_all();
    if (listener)
        listener(context);
}

void VirtualClock::Sleep(uint32_t ms)
{
    std::unique_lock lock(m_mutex);
    if (std::this_thread::get_id() == m_owner) {
        lock.unlock();
        Advance(ms);
        return;
    }
    uint64_t until = m_nowMs + ms;
    ++m_sleepers;
    m_moved.wait(lock, [&] { return m_nowMs >= until; });
    --m_sleepers;
}

size_t VirtualClock::Sleepers() const
{
    std::lock_guard lock(m_mutex);
    return m_sleepers;
}

void VirtualClock::SetOwnerThread(std::thread::id id)
{
    std::lock_guard lock(m_mutex);
    m_owner = id;
}

void VirtualClock::SetMoveListener(MoveListener listener, void* context)
{
    std::lock_guard lock(m_mutex);
    m_listener = listener;
    m_listenerContext = context;
}

bool ParseLocalTime(const char* text, int64_t& utcMs)
{
    std::tm tm {};
    int year, month, day, hour, minute, second;
    char tail;
    if (std::sscanf(text, "%d-%d-%dT%d:%d:%d%c", &year, &month, &day, &hour, &minute, &second, &tail) != 6)
        return false;
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    std::time_t t = mktime(&tm);
    if (t == std::time_t(-1))
        return false;
    utcMs = int64_t(t) * 1000;
    return true;
}

DWORD GetTickCount() { return DWORD(Clock::Current().NowMs()); }

void GetSystemTime(SYSTEMTIME* st) { *st = Clock::Current().SystemTime(); }

void GetLocalTime(SYSTEMTIME* st) { *st = Clock::Current().LocalTime(); }

void Sleep(DWORD ms) { Clock::Current().Sleep(ms); }
