#pragma once

// The status program's side of the system bus: the battery from UPower (its display device and
// whether the machine runs on battery) and the lock from logind (the session's LockedHint). Both
// are read at the start and again whenever the daemons say something changed, or when UPower comes
// (back) onto the bus; nothing is polled.

#include "BatteryMessage.h"

#include <functional>
#include <optional>
#include <string>
#include <systemd/sd-bus.h>

class StatusBus {
public:
    // Called with each new reading: nullopt when there is no battery (or no UPower).
    using BatteryChanged = std::function<void(std::optional<BatteryMessage>)>;
    using LockChanged = std::function<void(bool locked)>;

    StatusBus(BatteryChanged battery, LockChanged lock);
    ~StatusBus();
    StatusBus(const StatusBus&) = delete;
    StatusBus& operator=(const StatusBus&) = delete;

    // Connects to the system bus (DBUS_SYSTEM_BUS_ADDRESS is honoured), listens and reads both;
    // a negative errno when there is no bus.
    [[nodiscard]] int Open();
    // For poll(): the descriptor (-1 while closed), its events, and how long the bus may wait
    // (-1: no limit).
    int Fd() const;
    short Events() const;
    int WaitMs() const;
    // Handles what the bus has without blocking; false when the connection went.
    [[nodiscard]] bool Process();

private:
    void ReadBattery();
    void ReadLock();
    void Close();
    static int OnUpower(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnLogind(sd_bus_message* message, void* self, sd_bus_error* error);

    BatteryChanged m_batteryChanged;
    LockChanged m_lockChanged;
    sd_bus* m_bus = nullptr;
    sd_bus_slot* m_upowerSlot = nullptr;
    sd_bus_slot* m_upowerOwnerSlot = nullptr;
    sd_bus_slot* m_sessionSlot = nullptr;
    std::string m_sessionPath;
    std::optional<std::optional<BatteryMessage>> m_lastBattery;
    std::optional<bool> m_lastLock;
};
