#pragma once

// The bridge's connection to the system bus (or, for the phone book, the session bus). Every call is asynchronous with a time limit, so the
// module's side never waits on a daemon; the answer (or its absence) comes to a callback.

#include "DaemonOwners.h"
#include "TimerQueue.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct sd_bus;
struct sd_bus_message;

namespace busname {
inline constexpr const char* kBluez = "org.bluez";
inline constexpr const char* kOfono = "org.ofono";
inline constexpr const char* kObex = "org.bluez.obex";
}

class SystemBus {
public:
    using Reply = std::function<void(sd_bus_message* reply, bool ok)>;
    using Args = std::function<int(sd_bus_message* call)>;
    // A daemon that has not answered by then is treated as having said no; the module never waits.
    static constexpr uint64_t kCallTimeoutUs = 5'000'000;
    // How long before a missing bus or a daemon that is still starting is asked again.
    static constexpr std::chrono::milliseconds kRetry { 2000 };

    enum class Kind { System, Session };

    // `daemons`: the well-known names whose signals are believed (see DaemonOwners).
    SystemBus(TimerQueue& timers, FILE* trace, Kind kind, std::vector<std::string> daemons);
    ~SystemBus();
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;

    // DBUS_SYSTEM_BUS_ADDRESS (DBUS_SESSION_BUS_ADDRESS) is honoured; a negative errno when there
    // is no bus.
    int Open();
    void Close();
    // For matches and objects; null while not connected.
    sd_bus* Raw() const { return m_bus; }
    // For the caller's poll(): the descriptor (-1 while not connected), its events and how long
    // the bus may wait (-1: no limit).
    int Fd() const;
    short Events() const;
    int WaitMs() const;
    // Handles whatever the bus has, without blocking; false when the connection is lost.
    bool Process();

    // Without a bus or an object path the reply comes at once, as a refusal.
    void Call(const char* service, const std::string& path, const char* interface, const char* member,
        const Args& args, Reply reply, uint64_t timeoutUs = kCallTimeoutUs);
    // After a failed load: asks again later through `timer` when the daemon is there but not ready.
    void RetryIfPresent(sd_bus_message* reply, unsigned long& timer, std::function<void()> again);
    TimerQueue& Timers() { return m_timers; }
    DaemonOwners& Owners() { return m_owners; }
    // Whether a signal comes from the daemon that owns `name` now; every signal handler asks.
    bool From(sd_bus_message* m, const char* name) const { return m_owners.From(m, name); }
    void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    TimerQueue& m_timers;
    FILE* m_trace;
    Kind m_kind;
    sd_bus* m_bus = nullptr;
    DaemonOwners m_owners;
};
