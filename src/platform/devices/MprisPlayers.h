#pragma once

// The media players of a Linux desktop, reached over MPRIS on the session bus. Pause stops every
// player that is playing and remembers exactly those; Resume starts again only the remembered ones
// that still run (the same connection, not a new player under the old name) and are still paused,
// so music the user paused, or a player opened during the call, never starts by itself.
//
// Pause and Resume only queue the request: a worker thread with its own bus connection does the
// calls, each with a short time-out, so a missing bus or a hanging player never holds up the UI
// thread. Without a session bus nothing happens.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class MprisBus;

class MprisPlayers {
public:
    static constexpr std::chrono::milliseconds kCallTimeout { 300 };

    explicit MprisPlayers(std::chrono::milliseconds callTimeout = kCallTimeout);
    ~MprisPlayers();
    MprisPlayers(const MprisPlayers&) = delete;
    MprisPlayers& operator=(const MprisPlayers&) = delete;

    // The instance the media-player calls reach; none by default (in-process tests, tools).
    static void Install(MprisPlayers* players);
    static MprisPlayers* Current();

    void Pause();
    void Resume();

    // Waits until every queued request has been carried out; false at the deadline.
    bool WaitIdle(std::chrono::milliseconds limit);

private:
    enum class Request { Pause, Resume };
    struct Paused {
        std::string name;
        std::string owner;
    };

    void Queue(Request request);
    void Run();
    void DoPause(MprisBus& bus);
    void DoResume(MprisBus& bus);

    std::chrono::milliseconds m_callTimeout;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Request> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    // Touched by the worker only.
    std::vector<Paused> m_paused;
    std::thread m_worker;
};
