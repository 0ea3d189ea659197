#include "StatusBus.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <utility>

namespace {

constexpr const char* kUpower = "org.freedesktop.UPower";
constexpr const char* kUpowerPath = "/org/freedesktop/UPower";
constexpr const char* kDisplayDevice = "/org/freedesktop/UPower/devices/DisplayDevice";
constexpr const char* kDeviceInterface = "org.freedesktop.UPower.Device";
constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";
constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";
// A daemon that hangs holds the status program up no longer than this.
constexpr uint64_t kCallTimeoutUs = 2'000'000;

bool ReadBool(
    sd_bus* bus, const char* service, const char* path, const char* interface, const char* name, bool& value)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int out = 0;
    int r = sd_bus_get_property_trivial(bus, service, path, interface, name, &error, 'b', &out);
    sd_bus_error_free(&error);
    value = out != 0;
    return r >= 0;
}

}

StatusBus::StatusBus(BatteryChanged battery, LockChanged lock)
    : m_batteryChanged(std::move(battery))
    , m_lockChanged(std::move(lock))
{
}

StatusBus::~StatusBus()
{
    Close();
}

void StatusBus::Close()
{
    m_upowerSlot = sd_bus_slot_unref(m_upowerSlot);
    m_upowerOwnerSlot = sd_bus_slot_unref(m_upowerOwnerSlot);
    m_sessionSlot = sd_bus_slot_unref(m_sessionSlot);
    m_bus = sd_bus_flush_close_unref(m_bus);
}

int StatusBus::Open()
{
    int r = sd_bus_open_system(&m_bus);
    if (r < 0) {
        m_bus = nullptr;
        return r;
    }
    sd_bus_set_method_call_timeout(m_bus, kCallTimeoutUs);
    // Every change of the display device or of OnBattery, and UPower coming onto the bus.
    sd_bus_match_signal(m_bus, &m_upowerSlot, kUpower, nullptr, "org.freedesktop.DBus.Properties",
        "PropertiesChanged", &StatusBus::OnUpower, this);
    sd_bus_match_signal(m_bus, &m_upowerOwnerSlot, "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus", "NameOwnerChanged", &StatusBus::OnUpower, this);

    // The session this program belongs to, or else the user's graphical one ("auto").
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(
            m_bus, kLogind, kLogindPath, kLogindManager, "GetSession", &error, &reply, "s", "auto")
        >= 0) {
        const char* path = nullptr;
        if (sd_bus_message_read(reply, "o", &path) >= 0 && path)
            m_sessionPath = path;
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (!m_sessionPath.empty())
        sd_bus_match_signal(m_bus, &m_sessionSlot, kLogind, m_sessionPath.c_str(),
            "org.freedesktop.DBus.Properties", "PropertiesChanged", &StatusBus::OnLogind, this);

    ReadBattery();
    ReadLock();
    return 0;
}

void StatusBus::ReadBattery()
{
    PowerReading reading;
    bool ok = ReadBool(m_bus, kUpower, kDisplayDevice, kDeviceInterface, "IsPresent", reading.batteryPresent)
        && ReadBool(m_bus, kUpower, kUpowerPath, kUpower, "OnBattery", reading.onBattery);
    if (ok && reading.batteryPresent) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        uint32_t state = 0;
        double percentage = 0;
        ok = sd_bus_get_property_trivial(
                 m_bus, kUpower, kDisplayDevice, kDeviceInterface, "State", &error, 'u', &state)
                >= 0
            && sd_bus_get_property_trivial(
                   m_bus, kUpower, kDisplayDevice, kDeviceInterface, "Percentage", &error, 'd', &percentage)
                >= 0;
        sd_bus_error_free(&error);
        reading.state = state;
        reading.percentage = percentage;
    }
    std::optional<BatteryMessage> message;
    if (ok)
        message = BatteryMessageFor(reading);
    if (m_lastBattery && *m_lastBattery == message)
        return;
    m_lastBattery = message;
    m_batteryChanged(message);
}

void StatusBus::ReadLock()
{
    bool locked = false;
    if (m_sessionPath.empty()
        || !ReadBool(m_bus, kLogind, m_sessionPath.c_str(), kSessionInterface, "LockedHint", locked))
        return;
    if (m_lastLock == locked)
        return;
    m_lastLock = locked;
    m_lockChanged(locked);
}

int StatusBus::OnUpower(sd_bus_message* message, void* self, sd_bus_error*)
{
    auto* bus = static_cast<StatusBus*>(self);
    if (sd_bus_message_is_signal(message, "org.freedesktop.DBus", "NameOwnerChanged")) {
        const char* name = nullptr;
        if (sd_bus_message_read(message, "s", &name) < 0 || !name || std::string(name) != kUpower)
            return 0;
    }
    bus->ReadBattery();
    return 0;
}

int StatusBus::OnLogind(sd_bus_message*, void* self, sd_bus_error*)
{
    static_cast<StatusBus*>(self)->ReadLock();
    return 0;
}

int StatusBus::Fd() const
{
    return m_bus ? sd_bus_get_fd(m_bus) : -1;
}

short StatusBus::Events() const
{
    int events = m_bus ? sd_bus_get_events(m_bus) : 0;
    return static_cast<short>(events < 0 ? 0 : events);
}

int StatusBus::WaitMs() const
{
    uint64_t until = 0;
    if (!m_bus || sd_bus_get_timeout(m_bus, &until) < 0 || until == UINT64_MAX)
        return -1;
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t nowUs
        = static_cast<uint64_t>(now.tv_sec) * 1'000'000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
    if (until <= nowUs)
        return 0;
    uint64_t ms = (until - nowUs + 999) / 1000;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

bool StatusBus::Process()
{
    if (!m_bus)
        return false;
    for (;;) {
        int r = sd_bus_process(m_bus, nullptr);
        if (r < 0) {
            Close();
            return false;
        }
        if (r == 0)
            return true;
    }
}
