#pragma once

// What the power supply looks like to the battery gauge: UPower's reading turned into the battery
// message's two numbers (1: external power, animated; 2: on battery, with a level frame 0..3).

#include <cstdint>
#include <optional>

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

// Nothing when there is no battery: the gauge then keeps drawing nothing.
[[nodiscard]] std::optional<BatteryMessage> BatteryMessageFor(const PowerReading& reading);
