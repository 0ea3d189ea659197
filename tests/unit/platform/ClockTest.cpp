#include "platform/loop/Clock.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// A sleep on the clock's own thread advances it at once (a real hour's sleep would hold the test
// past its time-out).
TEST(Clock, VirtualClockMovesOnlyWhenToldOrSleptOnItsOwnThread)
{
    testenv::ScopedVirtualClock clock(0);
    DWORD before = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(GetTickCount(), before);
    clock->Advance(60'000);
    EXPECT_EQ(GetTickCount() - before, 60'000u);
    Sleep(3'600'000);
    EXPECT_EQ(GetTickCount() - before, 3'660'000u);
}

TEST(Clock, SleepOnOtherThreadWaitsForOwnerToAdvance)
{
    testenv::ScopedVirtualClock clock(0);
    std::atomic<bool> woke { false };
    std::thread sleeper([&] {
        Sleep(500);
        woke = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(woke);
    clock->Advance(499);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(woke);
    clock->Advance(1);
    sleeper.join();
    EXPECT_TRUE(woke);
}

TEST(Clock, SystemTimeFieldsFollowVirtualUtc)
{
    // 2007-01-01 00:00:59.250 UTC, a Monday.
    testenv::ScopedVirtualClock clock(1'167'609'659'250);
    SYSTEMTIME st;
    GetSystemTime(&st);
    EXPECT_EQ(st.wYear, 2007);
    EXPECT_EQ(st.wMonth, 1);
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wDayOfWeek, 1);
    EXPECT_EQ(st.wHour, 0);
    EXPECT_EQ(st.wMinute, 0);
    EXPECT_EQ(st.wSecond, 59);
    EXPECT_EQ(st.wMilliseconds, 250);
    clock->Advance(750);
    GetSystemTime(&st);
    EXPECT_EQ(st.wMinute, 1);
    EXPECT_EQ(st.wSecond, 0);
}

TEST(Clock, ParsesLocalStartTime)
{
    int64_t ms = 0;
    ASSERT_TRUE(ParseLocalTime("2026-12-05T14:30:00", ms));
    VirtualClock clock(ms);
    SYSTEMTIME st = clock.LocalTime();
    EXPECT_EQ(st.wYear, 2026);
    EXPECT_EQ(st.wHour, 14);
    EXPECT_EQ(st.wMinute, 30);
    EXPECT_FALSE(ParseLocalTime("2026-13-05T14:30:00", ms));
    EXPECT_FALSE(ParseLocalTime("yesterday", ms));
}
