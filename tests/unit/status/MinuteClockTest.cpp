#include "MinuteClock.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <ctime>
#include <utility>
#include <vector>

namespace {

// 2026-03-14 10:24:00 UTC.
constexpr int64_t kAt1024 = 1'773'483'840'000;
constexpr int64_t kMinuteMs = 60'000;

class SteppedTime : public TimeSource {
public:
    int64_t NowUtcMs() const override { return now; }
    bool ArmAt(int64_t utcSeconds) override
    {
        armed.push_back(utcSeconds);
        return true;
    }
    int64_t now = 0;
    std::vector<int64_t> armed;
};

class MinuteClockTest : public ::testing::Test {
protected:
    void SetZone(const char* zone)
    {
        m_zone.reset();
        m_zone = std::make_unique<testenv::ScopedEnv>("TZ", zone);
        ::tzset();
    }
    void SetUp() override { SetZone("UTC0"); }
    void TearDown() override
    {
        m_zone.reset();
        ::tzset();
    }

    SteppedTime time;
    std::vector<std::pair<int, int>> sent;
    MinuteClock clock { time, [this](int hour, int minute) { sent.emplace_back(hour, minute); } };

private:
    std::unique_ptr<testenv::ScopedEnv> m_zone;
};

using Sent = std::vector<std::pair<int, int>>;

}

TEST_F(MinuteClockTest, SendsAtTheStartAndThenOnlyWhenTheMinuteTurnsToMidnightsZero)
{
    time.now = kAt1024 + 30'000;
    clock.Start();
    EXPECT_EQ(sent, (Sent { { 10, 24 } }));
    EXPECT_EQ(time.armed.back(), 1'773'483'900);

    // A wake-up a millisecond early sends nothing and waits for the same moment again.
    time.now = kAt1024 + kMinuteMs - 1;
    clock.OnTimer();
    EXPECT_EQ(sent, (Sent { { 10, 24 } }));
    EXPECT_EQ(time.armed.back(), 1'773'483'900);

    time.now = kAt1024 + kMinuteMs;
    clock.OnTimer();
    EXPECT_EQ(sent, (Sent { { 10, 24 }, { 10, 25 } }));
    EXPECT_EQ(time.armed.back(), 1'773'483'960);

    // Midnight turns the hour to zero: 13 h 36 min after 10:24.
    time.now = kAt1024 + 816 * kMinuteMs;
    clock.OnTimer();
    EXPECT_EQ(sent.back(), std::make_pair(0, 0));
}

TEST_F(MinuteClockTest, ClockSetForwardOrBackSendsAtOnceAndWaitsForTheNewMinute)
{
    time.now = kAt1024;
    clock.Start();
    time.now = kAt1024 + 2 * 3'600'000 + 43 * kMinuteMs + 30'000;
    clock.OnClockChanged();
    EXPECT_EQ(sent.back(), std::make_pair(13, 7));
    EXPECT_EQ(time.armed.back(), 1'773'493'680);

    time.now = kAt1024 - 84 * kMinuteMs + 10'000;
    clock.OnClockChanged();
    EXPECT_EQ(sent.back(), std::make_pair(9, 0));
    EXPECT_EQ(time.armed.back(), 1'773'478'860);
    EXPECT_EQ(sent.size(), 3u);
}

TEST_F(MinuteClockTest, ZoneChangeShowsTheNewLocalTimeAndHalfHourZonesTurnWithUtc)
{
    time.now = kAt1024 + 30'000;
    clock.Start();
    SetZone("<+0530>-5:30");
    clock.OnClockChanged();
    EXPECT_EQ(sent.back(), std::make_pair(15, 54));
    time.now = kAt1024 + kMinuteMs;
    clock.OnTimer();
    EXPECT_EQ(sent, (Sent { { 10, 24 }, { 15, 54 }, { 15, 55 } }));
}
