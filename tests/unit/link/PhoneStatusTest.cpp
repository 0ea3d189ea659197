#include "link/PhoneStatus.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

TEST(PhoneStatus, StateByteFields)
{
    // 10 110 01 1: field A 2, in a call, field B 1, audio connected.
    constexpr BYTE s = 0b10110011;
    EXPECT_EQ((std::vector<int> { PhoneStatus::FieldA(s), PhoneStatus::MainState(s), PhoneStatus::FieldB(s),
                  PhoneStatus::AudioFlag(s) }),
        (std::vector<int> { 2, 6, 1, 1 }));
}

TEST(PhoneStatus, ElapsedSecondsFromCallStart)
{
    // 2023-11-14 22:13:20 UTC.
    testenv::ScopedVirtualClock clock(1'700'000'000'000);
    PhoneStatus status;
    status.UpdateElapsed();
    EXPECT_EQ(status.elapsedSeconds, 0) << "no call start, no call time";

    // Across a month end.
    status.callStart = SYSTEMTIME { 2023, 10, 2, 31, 22, 13, 20, 0 };
    clock->Advance(61'999);
    status.UpdateElapsed();
    EXPECT_EQ(status.elapsedSeconds, 14 * 86400 + 61);
    // A start after now (the clock was set back) truncates toward zero.
    status.callStart = SYSTEMTIME { 2023, 11, 2, 14, 22, 15, 20, 0 };
    status.UpdateElapsed();
    EXPECT_EQ(status.elapsedSeconds, -58);
}
