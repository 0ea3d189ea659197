#include "DaemonOwners.h"
#include "SystemBus.h"

#include <cstring>
#include <string_view>
#include <systemd/sd-bus.h>

namespace {

// The bus itself: no connection can take this name, so a signal from it is the bus's own.
constexpr const char* kBusDriver = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";

int OnOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    static_cast<DaemonOwners*>(userdata)->OnNameOwnerChanged(m);
    return 0;
}

}

DaemonOwners::DaemonOwners(std::vector<std::string> names)
{
    for (auto& name : names)
        m_owners[std::move(name)];
}

int DaemonOwners::Watch(SystemBus& bus)
{
    Clear();
    for (auto& [name, owner] : m_owners) {
        std::string rule = std::string("type='signal',sender='") + kBusDriver + "',path='" + kBusPath
            + "',interface='" + kBusDriver + "',member='NameOwnerChanged',arg0='" + name + "'";
        int r = sd_bus_add_match(bus.Raw(), nullptr, rule.c_str(), OnOwnerChanged, this);
        if (r < 0)
            return r;
        // Asked after the subscription: a change in between comes as a signal before this answer,
        // and the answer, newer, stands.
        const std::string* key = &name;
        bus.Call(
            kBusDriver, kBusPath, kBusDriver, "GetNameOwner",
            [key](sd_bus_message* call) { return sd_bus_message_append(call, "s", key->c_str()); },
            [this, key](sd_bus_message* reply, bool ok) {
                const char* unique = nullptr;
                if (ok && sd_bus_message_read(reply, "s", &unique) >= 0 && unique)
                    m_owners[*key] = unique;
                else if (reply)
                    m_owners[*key].clear();
            });
    }
    return 0;
}

void DaemonOwners::Clear()
{
    for (auto& entry : m_owners)
        entry.second.clear();
}

bool DaemonOwners::From(sd_bus_message* m, const char* name) const
{
    auto it = m_owners.find(name);
    const char* sender = m ? sd_bus_message_get_sender(m) : nullptr;
    return it != m_owners.end() && !it->second.empty() && sender && it->second == sender;
}

const std::string& DaemonOwners::Owner(const std::string& name) const
{
    static const std::string kNone;
    auto it = m_owners.find(name);
    return it == m_owners.end() ? kNone : it->second;
}

void DaemonOwners::OnNameOwnerChanged(sd_bus_message* m)
{
    const char* sender = sd_bus_message_get_sender(m);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (!sender || strcmp(sender, kBusDriver) != 0
        || sd_bus_message_read(m, "sss", &name, &before, &after) < 0)
        return;
    auto it = m_owners.find(name);
    if (it == m_owners.end())
        return;
    it->second = after ? after : "";
    if (onChanged)
        onChanged(it->first, !it->second.empty());
}
