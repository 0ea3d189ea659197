#include "platform/loop/Clock.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// A sleep on the clock's own thread advances it at once (a real hour's sleep would hold the test
// past its time-out); a sleep on another thread waits until the owner advances far enough.
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

    std::atomic<bool> woke { false };
    std::thread sleeper([&] {
        Sleep(500);
        woke = true;
    });
    ASSERT_TRUE(testenv::Eventually([&] { return clock->Sleepers() == 1; }, std::chrono::seconds(30)));
    clock->Advance(499);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(woke);
    clock->Advance(1);
    sleeper.join();
    EXPECT_TRUE(woke);
    EXPECT_EQ(GetTickCount() - before, 3'660'500u);
}

TEST(Clock, SystemTimeFollowsVirtualUtcAndTheStartTimeIsReadAsLocal)
{
    auto Fields = [](const SYSTEMTIME& st) {
        return std::vector<int> { st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMinute,
            st.wSecond, st.wMilliseconds };
    };
    // 2007-01-01 00:00:59.250 UTC, a Monday.
    testenv::ScopedVirtualClock clock(1'167'609'659'250);
    SYSTEMTIME st;
    GetSystemTime(&st);
    EXPECT_EQ(Fields(st), (std::vector<int> { 2007, 1, 1, 1, 0, 0, 59, 250 }));
    clock->Advance(750);
    GetSystemTime(&st);
    EXPECT_EQ(Fields(st), (std::vector<int> { 2007, 1, 1, 1, 0, 1, 0, 0 }));

    int64_t ms = 0;
    ASSERT_TRUE(ParseLocalTime("2026-12-05T14:30:00", ms));
    EXPECT_EQ(Fields(VirtualClock(ms).LocalTime()), (std::vector<int> { 2026, 12, 5, 6, 14, 30, 0, 0 }));
    EXPECT_FALSE(ParseLocalTime("2026-13-05T14:30:00", ms));
    EXPECT_FALSE(ParseLocalTime("yesterday", ms));
}
