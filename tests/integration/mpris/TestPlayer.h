#pragma once

// An MPRIS player with its own bus connection and thread, as a real player is another program: a
// playback status and a record of the Play and Pause calls it was sent.

#include <systemd/sd-bus.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestPlayer {
public:
    TestPlayer(std::string busAddress, const std::string& suffix, std::string status)
        : m_address(std::move(busAddress))
        , m_name("org.mpris.MediaPlayer2." + suffix)
        , m_status(std::move(status))
    {
    }
    ~TestPlayer() { Vanish(); }

    // Connects and takes org.mpris.MediaPlayer2.<suffix>; false when the name stays taken.
    bool Start()
    {
        if (sd_bus_new(&m_bus) < 0 || sd_bus_set_address(m_bus, m_address.c_str()) < 0
            || sd_bus_set_bus_client(m_bus, 1) < 0 || sd_bus_start(m_bus) < 0
            || sd_bus_add_object_vtable(
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
        m_thread = std::thread([this] {
            for (int r = 0; !m_stop && r >= 0;)
                if ((r = sd_bus_process(m_bus, nullptr)) == 0)
                    sd_bus_wait(m_bus, kWaitSliceUs);
        });
        return true;
    }
    // Stops answering but keeps its connection and name: a player that hangs.
    void Hang()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // Closes its connection: the player quits.
    void Vanish()
    {
        Hang();
        m_slot = sd_bus_slot_unref(m_slot);
        m_bus = sd_bus_flush_close_unref(m_bus);
    }

    std::vector<std::string> Calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    // What a Play or Pause call does to the player (its bus callbacks use it).
    void Record(const char* method, const char* status)
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(method);
        m_status = status;
    }

private:
    static constexpr uint64_t kWaitSliceUs = 50'000;

    static int GetStatus(
        sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self, sd_bus_error*)
    {
        auto* player = static_cast<TestPlayer*>(self);
        std::lock_guard lock(player->m_mutex);
        return sd_bus_message_append(reply, "s", player->m_status.c_str());
    }
    template <const char* Method, const char* Status>
    static int On(sd_bus_message* call, void* self, sd_bus_error*)
    {
        static_cast<TestPlayer*>(self)->Record(Method, Status);
        return sd_bus_reply_method_return(call, "");
    }
    static constexpr char kPlay[] = "Play", kPause[] = "Pause", kPlaying[] = "Playing", kPaused[] = "Paused";
    static constexpr sd_bus_vtable kVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("PlaybackStatus", "s", GetStatus, 0, 0),
        SD_BUS_METHOD("Play", "", "", (On<kPlay, kPlaying>), SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Pause", "", "", (On<kPause, kPaused>), SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };

    std::string m_address;
    std::string m_name;
    mutable std::mutex m_mutex;
    std::string m_status;
    std::vector<std::string> m_calls;
    sd_bus* m_bus = nullptr;
    sd_bus_slot* m_slot = nullptr;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};
