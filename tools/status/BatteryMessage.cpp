#include "BatteryMessage.h"

namespace {

constexpr long kNothingToDraw = 0;
constexpr long kExternalPower = 1;
constexpr long kOnBattery = 2;
// UPower's device states that mean power comes from outside.
constexpr uint32_t kCharging = 1;
constexpr uint32_t kFullyCharged = 4;
constexpr uint32_t kPendingCharge = 5;
// The gauge's level frames 0..3, each a quarter of the charge.
constexpr double kPercentPerFrame = 25.0;
constexpr long kTopFrame = 3;

}

BatteryMessage BatteryMessageFor(const PowerReading& reading)
{
    if (!reading.batteryPresent)
        return BatteryMessage { kNothingToDraw, 0 };
    const bool fromOutside
        = reading.state == kCharging || reading.state == kFullyCharged || reading.state == kPendingCharge;
    if (!reading.onBattery || fromOutside)
        return BatteryMessage { kExternalPower, 0 };
    double percentage = reading.percentage;
    if (!(percentage > 0))
        percentage = 0;
    long frame = static_cast<long>(percentage / kPercentPerFrame);
    return BatteryMessage { kOnBattery, frame > kTopFrame ? kTopFrame : frame };
}
