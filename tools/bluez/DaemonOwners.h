#pragma once

// Who speaks for a daemon on the bus: the unique name (":1.42") that owns each of its well-known
// names now, followed through the bus's NameOwnerChanged as daemons stop and start. A signal is
// taken only when its sender is that owner: anyone on the bus may emit a signal with a daemon's
// path and interface, and a match rule naming the daemon is no guard against a signal sent to the
// bridge's own connection.

#include <functional>
#include <map>
#include <string>
#include <vector>

class SystemBus;
struct sd_bus_message;

class DaemonOwners {
public:
    using Changed = std::function<void(const std::string& name, bool present)>;

    explicit DaemonOwners(std::vector<std::string> names);

    // Once the bus is open: follows the owners and asks who owns each name now. A negative errno
    // when the bus refused the subscription.
    int Watch(SystemBus& bus);
    // The bus went away: nobody is believed until the next Watch.
    void Clear();
    // Whether `m` was sent by the current owner of `name`.
    bool From(sd_bus_message* m, const char* name) const;
    const std::string& Owner(const std::string& name) const;

    // A name's owner changed (not called for the answers to the first question).
    Changed onChanged;

    // The bus's NameOwnerChanged (public for the C callback).
    void OnNameOwnerChanged(sd_bus_message* m);

private:
    std::map<std::string, std::string> m_owners; // well-known name -> unique name, "" when none
};
