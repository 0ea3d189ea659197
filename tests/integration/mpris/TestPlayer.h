#pragma once

// A small MPRIS player for the tests: its own connection to the test's bus, a playback status, and
// a record of the Play and Pause calls it was sent. It runs its own thread, as a real player would
// be another program answering on its own.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sd_bus;
struct sd_bus_slot;

class TestPlayer {
public:
    TestPlayer(std::string busAddress, std::string suffix, std::string status);
    ~TestPlayer();

    // Connects and takes org.mpris.MediaPlayer2.<suffix>; false when the name stays taken.
    bool Start();
    // Stops answering but keeps its connection and name: a player that hangs.
    void Hang();
    // Closes its connection: the player quits.
    void Vanish();

    std::vector<std::string> Calls() const;
    std::string Status() const;
    // What a Play or Pause call does to the player (its bus callbacks use it).
    void Record(const char* method, const char* status);

private:
    void Run();

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
