// A real timerfd on the wall clock and a real inotify watch on the zone file's folder.

#include "BatteryMessage.h"
#include "TimerFdSource.h"
#include "ZoneWatch.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <poll.h>

namespace {

BatteryMessage OnBattery(double percentage)
{
    return BatteryMessageFor(PowerReading { true, 2, percentage, true });
}

bool Readable(int fd, int ms)
{
    pollfd p { fd, POLLIN, 0 };
    return ::poll(&p, 1, ms) == 1;
}

}

TEST(BatteryMessageTest, MainsOrChargingIsExternalPowerAndNoBatteryDrawsNothing)
{
    EXPECT_EQ(BatteryMessageFor(PowerReading { false, 0, 0, false }), (BatteryMessage { 0, 0 }));
    EXPECT_EQ(BatteryMessageFor(PowerReading { false, 2, 50, true }), (BatteryMessage { 0, 0 }));
    EXPECT_EQ(BatteryMessageFor(PowerReading { true, 4, 100, false }), (BatteryMessage { 1, 0 }));
    // Charging, or full, or waiting to charge: from outside even while UPower is slow to say so.
    for (uint32_t state : { 1u, 4u, 5u })
        EXPECT_EQ(BatteryMessageFor(PowerReading { true, state, 40, true }), (BatteryMessage { 1, 0 }))
            << state;
    // Discharging, empty, waiting to discharge: the level.
    for (uint32_t state : { 2u, 3u, 6u })
        EXPECT_EQ(BatteryMessageFor(PowerReading { true, state, 40, true }), (BatteryMessage { 2, 1 }))
            << state;
}

TEST(BatteryMessageTest, ChargeMapsToFourFramesAQuarterEach)
{
    // Out of range readings stay on the gauge's frames.
    const std::pair<double, long> frames[] = { { 0, 0 }, { 24.9, 0 }, { 25, 1 }, { 49.9, 1 }, { 50, 2 },
        { 74.9, 2 }, { 75, 3 }, { 100, 3 }, { 180, 3 }, { -5, 0 }, { std::nan(""), 0 } };
    for (const auto& [percentage, frame] : frames)
        EXPECT_EQ(OnBattery(percentage), (BatteryMessage { 2, frame })) << percentage;
}

TEST(TimerFdSourceTest, WakesAtTheArmedWallClockSecondAndNotBefore)
{
    TimerFdSource time;
    ASSERT_TRUE(time.IsOpen());
    const int64_t target = time.NowUtcMs() / 1000 + 2;
    ASSERT_TRUE(time.ArmAt(target));
    EXPECT_FALSE(Readable(time.Fd(), 0));
    ASSERT_TRUE(Readable(time.Fd(), 10'000));
    EXPECT_GE(time.NowUtcMs(), target * 1000);
    EXPECT_EQ(time.Read(), TimerFdSource::Wake::kTimer);
    // Read once, it stays quiet until armed again; a moment already past wakes at once.
    EXPECT_EQ(time.Read(), TimerFdSource::Wake::kNothing);
    ASSERT_TRUE(time.ArmAt(target - 60));
    ASSERT_TRUE(Readable(time.Fd(), 10'000));
    EXPECT_EQ(time.Read(), TimerFdSource::Wake::kTimer);
}

// The zone link replaced as the zone tools do it is seen: status_flows.py, through the program.
TEST(ZoneWatchTest, AnotherFileInTheFolderIsNoZoneChange)
{
    testenv::TempDir dir;
    std::ofstream(dir.Path() / "localtime") << "zone";
    ZoneWatch watch(dir.Path() / "localtime");
    ASSERT_TRUE(watch.IsOpen());

    std::ofstream(dir.Path() / "hosts") << "127.0.0.1 car";
    ASSERT_TRUE(Readable(watch.Fd(), 10'000));
    EXPECT_FALSE(watch.Read());
}
