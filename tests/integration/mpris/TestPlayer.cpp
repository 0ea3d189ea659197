#include "TestPlayer.h"

#include <chrono>
#include <systemd/sd-bus.h>

namespace {

constexpr uint64_t kWaitSliceUs = 50'000;

int GetStatus(
    sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self, sd_bus_error*)
{
    return sd_bus_message_append(reply, "s", static_cast<TestPlayer*>(self)->Status().c_str());
}

int OnPlay(sd_bus_message* call, void* self, sd_bus_error*)
{
    static_cast<TestPlayer*>(self)->Record("Play", "Playing");
    return sd_bus_reply_method_return(call, "");
}

int OnPause(sd_bus_message* call, void* self, sd_bus_error*)
{
    static_cast<TestPlayer*>(self)->Record("Pause", "Paused");
    return sd_bus_reply_method_return(call, "");
}

const sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("PlaybackStatus", "s", GetStatus, 0, 0),
    SD_BUS_METHOD("Play", "", "", OnPlay, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Pause", "", "", OnPause, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

}

TestPlayer::TestPlayer(std::string busAddress, std::string suffix, std::string status)
    : m_address(std::move(busAddress))
    , m_name("org.mpris.MediaPlayer2." + suffix)
    , m_status(std::move(status))
{
}

TestPlayer::~TestPlayer()
{
    Vanish();
}

bool TestPlayer::Start()
{
    if (sd_bus_new(&m_bus) < 0 || sd_bus_set_address(m_bus, m_address.c_str()) < 0
        || sd_bus_set_bus_client(m_bus, 1) < 0 || sd_bus_start(m_bus) < 0)
        return false;
    if (sd_bus_add_object_vtable(
            m_bus, &m_slot, "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Player", kVtable, this)
        < 0)
        return false;
    // A player that quit a moment ago may still hold the name until the bus has seen it go.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int taken;
    while ((taken = sd_bus_request_name(m_bus, m_name.c_str(), 0)) == -EEXIST
        && std::chrono::steady_clock::now() < deadline)
        sd_bus_wait(m_bus, kWaitSliceUs);
    if (taken < 0)
        return false;
    m_thread = std::thread(&TestPlayer::Run, this);
    return true;
}

void TestPlayer::Run()
{
    while (!m_stop) {
        int r = sd_bus_process(m_bus, nullptr);
        if (r < 0)
            return;
        if (r == 0)
            sd_bus_wait(m_bus, kWaitSliceUs);
    }
}

void TestPlayer::Hang()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void TestPlayer::Vanish()
{
    Hang();
    m_slot = sd_bus_slot_unref(m_slot);
    m_bus = sd_bus_flush_close_unref(m_bus);
}

std::vector<std::string> TestPlayer::Calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

void TestPlayer::Record(const char* method, const char* status)
{
    std::lock_guard lock(m_mutex);
    m_calls.push_back(method);
    m_status = status;
}

std::string TestPlayer::Status() const
{
    std::lock_guard lock(m_mutex);
    return m_status;
}
