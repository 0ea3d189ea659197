#pragma once

// What the power supply looks like to the battery gauge: UPower's reading turned into the battery
// message's two numbers (1: external power, animated; 2: on battery, with a level frame 0..3;
// 0: no battery, nothing drawn).

#include <cstdint>

struct PowerReading {
    // The display device of UPower: whether a battery is there, its state and its charge.
    bool batteryPresent = false;
    uint32_t state = 0;
    double percentage = 0;
    // UPower's own word on whether the machine runs on its battery.
    bool onBattery = false;
};

struct BatteryMessage {
    long wParam = 0;
    long lParam = 0;
    bool operator==(const BatteryMessage&) const = default;
};

// A gauge that has had no message shows its empty level frame, which on a machine without a
// battery (a car PC on the car's power) says the opposite of the truth: so no battery, or no word
// from UPower, is said as the message that draws nothing.
[[nodiscard]] BatteryMessage BatteryMessageFor(const PowerReading& reading);
inline constexpr BatteryMessage kNoBatteryMessage { 0, 0 };
