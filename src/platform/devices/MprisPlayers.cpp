#include "platform/devices/MprisPlayers.h"

#include "platform/devices/MprisBus.h"
#include "platform/tooling/Trace.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<MprisPlayers*> g_current { nullptr };

}

MprisPlayers::MprisPlayers(std::chrono::milliseconds callTimeout)
    : m_callTimeout(callTimeout)
    , m_worker(&MprisPlayers::Run, this)
{
}

MprisPlayers::~MprisPlayers()
{
    if (g_current.load() == this)
        g_current.store(nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void MprisPlayers::Install(MprisPlayers* players)
{
    g_current.store(players);
}

MprisPlayers* MprisPlayers::Current()
{
    return g_current.load();
}

void MprisPlayers::Pause()
{
    Queue(Request::Pause);
}

void MprisPlayers::Resume()
{
    Queue(Request::Resume);
}

void MprisPlayers::Queue(Request request)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(request);
    }
    m_wake.notify_one();
}

bool MprisPlayers::WaitIdle(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, limit, [this] { return m_queue.empty() && !m_busy; });
}

void MprisPlayers::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        // A resume queued as the program closes is still carried out: music left paused is
        // what users mind most. Each call is bounded, so this cannot hold the exit for long.
        if (m_queue.empty())
            return;
        Request request = m_queue.front();
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        // A connection per request: the bus may have come, gone or restarted since the last one.
        MprisBus bus(m_callTimeout);
        if (bus.Open())
            request == Request::Pause ? DoPause(bus) : DoResume(bus);
        else if (request == Request::Resume)
            m_paused.clear();
        lock.lock();
        m_busy = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

void MprisPlayers::DoPause(MprisBus& bus)
{
    // A ring repeats every few seconds; players paused by an earlier ring of the call stay
    // remembered, and a player already remembered is not counted twice.
    for (const MprisBus::Player& player : bus.Players()) {
        if (bus.PlaybackStatus(player.owner) != "Playing")
            continue;
        if (!bus.Call(player.owner, "Pause"))
            continue;
        Trace::Write("peer", "mpris pause " + player.name);
        bool known = std::any_of(m_paused.begin(), m_paused.end(),
            [&](const Paused& paused) { return paused.owner == player.owner; });
        if (!known)
            m_paused.push_back({ player.name, player.owner });
    }
}

void MprisPlayers::DoResume(MprisBus& bus)
{
    std::vector<Paused> paused;
    paused.swap(m_paused);
    for (const Paused& player : paused) {
        // Gone, or the name now belongs to another program: not ours to start.
        if (bus.Owner(player.name) != player.owner)
            continue;
        if (bus.PlaybackStatus(player.owner) != "Paused")
            continue;
        if (bus.Call(player.owner, "Play"))
            Trace::Write("peer", "mpris play " + player.name);
    }
}
