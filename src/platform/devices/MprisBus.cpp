#include "platform/devices/MprisBus.h"

#include <systemd/sd-bus.h>

namespace {

constexpr const char* kPlayerPrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";

// Frees what one sd-bus call hands back, whatever way the call ends.
struct CallResult {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    ~CallResult()
    {
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
    }
};

}

MprisBus::MprisBus(std::chrono::milliseconds timeout)
    : m_timeoutUs(uint64_t(timeout.count()) * 1000)
{
}

MprisBus::~MprisBus()
{
    sd_bus_flush_close_unref(m_bus);
}

bool MprisBus::Open()
{
    if (m_bus)
        return true;
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0)
        return false;
    // The connection's own wait for the bus's answer to Hello must not outlast our calls.
    sd_bus_set_method_call_timeout(bus, m_timeoutUs);
    m_bus = bus;
    return true;
}

std::vector<MprisBus::Player> MprisBus::Players()
{
    std::vector<Player> players;
    CallResult call;
    if (!m_bus
        || sd_bus_call_method(m_bus, kBusName, kBusPath, kBusName, "ListNames", &call.error, &call.reply, "")
            < 0)
        return players;
    if (sd_bus_message_enter_container(call.reply, SD_BUS_TYPE_ARRAY, "s") < 0)
        return players;
    const char* name = nullptr;
    while (sd_bus_message_read_basic(call.reply, SD_BUS_TYPE_STRING, &name) > 0) {
        std::string_view view(name);
        if (view.starts_with(kPlayerPrefix) && view.size() > std::string_view(kPlayerPrefix).size())
            players.push_back({ std::string(view), {} });
    }
    for (Player& player : players)
        player.owner = Owner(player.name).value_or(std::string());
    std::erase_if(players, [](const Player& player) { return player.owner.empty(); });
    return players;
}

std::optional<std::string> MprisBus::Owner(const std::string& name)
{
    CallResult call;
    if (!m_bus
        || sd_bus_call_method(m_bus, kBusName, kBusPath, kBusName, "GetNameOwner", &call.error, &call.reply,
               "s", name.c_str())
            < 0)
        return std::nullopt;
    const char* owner = nullptr;
    if (sd_bus_message_read_basic(call.reply, SD_BUS_TYPE_STRING, &owner) <= 0)
        return std::nullopt;
    return std::string(owner);
}

std::optional<std::string> MprisBus::PlaybackStatus(const std::string& destination)
{
    if (!m_bus)
        return std::nullopt;
    CallResult call;
    char* status = nullptr;
    if (sd_bus_get_property_string(
            m_bus, destination.c_str(), kObjectPath, kPlayerInterface, "PlaybackStatus", &call.error, &status)
        < 0)
        return std::nullopt;
    std::string result(status);
    free(status);
    return result;
}

bool MprisBus::Call(const std::string& destination, const char* method)
{
    CallResult call;
    return m_bus
        && sd_bus_call_method(m_bus, destination.c_str(), kObjectPath, kPlayerInterface, method, &call.error,
               &call.reply, "")
        >= 0;
}
