#pragma once

// One connection to the session bus and the few MPRIS calls the media-player pause needs. Every
// call waits at most the connection's time-out, so a player that hangs costs that much and no
// more. Used from one thread at a time.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct sd_bus;

class MprisBus {
public:
    explicit MprisBus(std::chrono::milliseconds timeout);
    ~MprisBus();
    MprisBus(const MprisBus&) = delete;
    MprisBus& operator=(const MprisBus&) = delete;

    // Connects to the session bus (DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus).
    bool Open();
    bool IsOpen() const { return m_bus != nullptr; }

    struct Player {
        std::string name; // org.mpris.MediaPlayer2.<something>
        std::string owner; // the unique connection name behind it, e.g. ":1.42"
    };
    std::vector<Player> Players();
    // Whether a bus name still has an owner, and which.
    std::optional<std::string> Owner(const std::string& name);
    // "Playing", "Paused" or "Stopped"; empty when the player does not answer.
    std::optional<std::string> PlaybackStatus(const std::string& destination);
    // Calls Player.Pause or Player.Play; false when the player does not answer or refuses.
    bool Call(const std::string& destination, const char* method);

private:
    sd_bus* m_bus = nullptr;
    uint64_t m_timeoutUs;
};
