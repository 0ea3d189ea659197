#include "BluezDevices.h"
#include "BusProps.h"
#include "PairingAgent.h"

#include <algorithm>
#include <cstring>
#include <systemd/sd-bus.h>

namespace {

constexpr const char* kAdapterIface = "org.bluez.Adapter1";
constexpr const char* kDeviceIface = "org.bluez.Device1";
// Paging a phone and bringing its hands-free profile up can take a while.
constexpr uint64_t kConnectTimeoutUs = 30'000'000;
// The hands-free unit's service: an adapter lists it once oFono has registered the profile.
constexpr const char* kHandsFreeUuid = "0000111e-0000-1000-8000-00805f9b34fb";
// Far more than a car meets; bluetoothd keeps every phone it has seen nearby, and those past the
// bound are not followed.
constexpr size_t kMaxDevices = 256;
constexpr size_t kMaxAdapters = 8;
// The longest text a module frame carries.
constexpr size_t kMaxName = 254;

BluezDevices* Self(void* userdata)
{
    return static_cast<BluezDevices*>(userdata);
}

int OnAdded(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    Self(userdata)->OnInterfacesAdded(m);
    return 0;
}

int OnRemoved(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    Self(userdata)->OnInterfacesRemoved(m);
    return 0;
}

int OnChanged(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    Self(userdata)->OnPropertiesChanged(m);
    return 0;
}

}

BluezDevices::BluezDevices(SystemBus& bus, HandsFreeMap& map, PairingAgent& agent)
    : m_bus(bus)
    , m_map(map)
    , m_agent(agent)
{
}

BluezDevices::~BluezDevices()
{
    m_bus.Timers().Cancel(m_retry);
}

void BluezDevices::Subscribe()
{
    // The bus hands on only what bluetoothd's current owner sends; each handler checks the sender
    // again, since a signal addressed to the bridge's connection passes any rule.
    sd_bus_match_signal(m_bus.Raw(), nullptr, busname::kBluez, "/", "org.freedesktop.DBus.ObjectManager",
        "InterfacesAdded", OnAdded, this);
    sd_bus_match_signal(m_bus.Raw(), nullptr, busname::kBluez, "/", "org.freedesktop.DBus.ObjectManager",
        "InterfacesRemoved", OnRemoved, this);
    sd_bus_match_signal(m_bus.Raw(), nullptr, busname::kBluez, nullptr, "org.freedesktop.DBus.Properties",
        "PropertiesChanged", OnChanged, this);
}

void BluezDevices::Clear()
{
    m_devices.clear();
    m_adapters.clear();
    m_loaded = false;
    AdaptersChanged();
}

void BluezDevices::AdaptersChanged()
{
    if (onAdaptersChanged)
        onAdaptersChanged();
}

const BluezDevices::AdapterFacts* BluezDevices::Adapter(const std::string& path) const
{
    auto it = m_adapters.find(path);
    return it == m_adapters.end() ? nullptr : &it->second;
}

void BluezDevices::Restart(bool present)
{
    m_bus.Timers().Cancel(m_retry);
    Clear();
    m_map.BluezGone();
    if (present)
        Load();
}

const DeviceFacts* BluezDevices::Find(const std::string& path) const
{
    auto it = m_devices.find(path);
    return it == m_devices.end() ? nullptr : &it->second;
}

void BluezDevices::Load()
{
    m_bus.Call(busname::kBluez, "/", "org.freedesktop.DBus.ObjectManager", "GetManagedObjects", nullptr,
        [this](sd_bus_message* m, bool ok) {
            if (!ok) {
                m_bus.Trace("bluetoothd does not answer its objects");
                m_bus.RetryIfPresent(m, m_retry, [this] { Load(); });
                return;
            }
            bool whole = ReadObjects(m, "{oa{sa{sv}}}", [this, m](const char* path) {
                ReadObject(m, path);
                return true;
            });
            if (!whole)
                return;
            m_loaded = true;
            if (m_adapters.empty())
                m_bus.Trace("bluetoothd has no adapter");
            AdaptersChanged();
            m_map.BluezLoaded();
            // The agent manager is BlueZ's too: it can take the agent only now.
            m_agent.Register();
        });
}

// a{sa{sv}}: the interfaces of one object.
void BluezDevices::ReadObject(sd_bus_message* m, const std::string& path)
{
    if (sd_bus_message_enter_container(m, 'a', "{sa{sv}}") < 0)
        return;
    while (sd_bus_message_enter_container(m, 'e', "sa{sv}") > 0) {
        const char* iface = nullptr;
        if (sd_bus_message_read(m, "s", &iface) < 0)
            return;
        std::string name = iface;
        if (name == kAdapterIface || name == kDeviceIface) {
            BusProps props;
            if (ReadProps(m, props) < 0)
                return;
            Apply(path, name, props);
        } else if (sd_bus_message_skip(m, "a{sv}") < 0) {
            return;
        }
        if (sd_bus_message_exit_container(m) < 0)
            return;
    }
    sd_bus_message_exit_container(m);
}

void BluezDevices::Apply(const std::string& path, const std::string& iface, const BusProps& props)
{
    const size_t known = iface == kAdapterIface ? m_adapters.size() : m_devices.size();
    const size_t bound = iface == kAdapterIface ? kMaxAdapters : kMaxDevices;
    const bool seen = iface == kAdapterIface ? m_adapters.count(path) > 0 : m_devices.count(path) > 0;
    if (!seen && known >= bound)
        return;
    if (iface == kAdapterIface) {
        AdapterFacts& a = m_adapters[path];
        Take(props.flags, "Powered", a.powered);
        Take(props.text, "Address", a.address);
        Take(props.text, "PowerState", a.powerState);
        auto uuids = props.lists.find("UUIDs");
        if (uuids != props.lists.end()) {
            const auto& list = uuids->second;
            a.handsFree = std::find(list.begin(), list.end(), kHandsFreeUuid) != list.end();
        }
        m_map.Adapter(path, true, a.powered, a.address);
        AdaptersChanged();
        return;
    }
    DeviceFacts& d = m_devices[path];
    Take(props.text, "Address", d.address);
    Take(props.text, "Adapter", d.adapter);
    Take(props.flags, "Paired", d.paired);
    // The name a person gave the phone (Alias) wins over the one it announces.
    std::string alias;
    Take(props.text, "Name", d.name);
    Take(props.text, "Alias", alias);
    if (!alias.empty())
        d.name = alias;
    d.name = CutText(d.name, kMaxName);
    auto uuids = props.lists.find("UUIDs");
    if (uuids != props.lists.end() && !uuids->second.empty()) {
        d.gatewayKnown = true;
        const auto& list = uuids->second;
        d.gateway = std::find(list.begin(), list.end(), handsfree::kGatewayUuid) != list.end();
    }
    m_map.Device(path, d);
    if (onDeviceChanged)
        onDeviceChanged();
}

void BluezDevices::OnInterfacesAdded(sd_bus_message* m)
{
    const char* path = nullptr;
    if (!m_bus.From(m, busname::kBluez) || sd_bus_message_read(m, "o", &path) < 0)
        return;
    std::string p = path;
    if (p.rfind("/org/bluez", 0) == 0)
        ReadObject(m, p);
}

void BluezDevices::OnInterfacesRemoved(sd_bus_message* m)
{
    const char* path = nullptr;
    char** ifaces = nullptr;
    if (!m_bus.From(m, busname::kBluez) || sd_bus_message_read(m, "o", &path) < 0 || sd_bus_message_read_strv(m, &ifaces) < 0)
        return;
    std::string p = path;
    for (char** i = ifaces; i && *i; ++i) {
        if (strcmp(*i, kAdapterIface) == 0) {
            m_bus.Trace("adapter %s removed", path);
            m_adapters.erase(p);
            m_map.Adapter(p, false, false, {});
            if (m_adapters.empty())
                m_bus.Trace("bluetoothd has no adapter");
            AdaptersChanged();
        } else if (strcmp(*i, kDeviceIface) == 0) {
            m_devices.erase(p);
            m_map.DeviceGone(p);
        }
        free(*i);
    }
    free(ifaces);
}

void BluezDevices::OnPropertiesChanged(sd_bus_message* m)
{
    const char* iface = nullptr;
    if (!m_bus.From(m, busname::kBluez) || sd_bus_message_read(m, "s", &iface) < 0)
        return;
    std::string name = iface;
    const char* path = sd_bus_message_get_path(m);
    if ((name != kAdapterIface && name != kDeviceIface) || !path)
        return;
    // Only objects we already know change; anything else comes with InterfacesAdded.
    bool known = name == kAdapterIface ? m_adapters.count(path) > 0 : m_devices.count(path) > 0;
    BusProps props;
    if (!known || ReadProps(m, props) < 0)
        return;
    Apply(path, name, props);
}

void BluezDevices::Connect(const std::string& path, SystemBus::Reply reply)
{
    m_bus.Call(busname::kBluez, path, kDeviceIface, "Connect", nullptr, std::move(reply), kConnectTimeoutUs);
}

void BluezDevices::Disconnect(const std::string& path)
{
    m_bus.Call(busname::kBluez, path, kDeviceIface, "Disconnect", nullptr, [this](sd_bus_message*, bool ok) {
        if (!ok)
            m_bus.Trace("disconnect refused");
    });
}

void BluezDevices::Remove(const std::string& path)
{
    m_bus.Call(busname::kBluez, m_map.AdapterPath(), kAdapterIface, "RemoveDevice",
        [path](sd_bus_message* m) { return sd_bus_message_append(m, "o", path.c_str()); },
        [this](sd_bus_message*, bool ok) {
            if (!ok)
                m_bus.Trace("remove refused");
        });
    m_devices.erase(path);
}

void BluezDevices::SetAdapter(const char* property, bool value)
{
    std::string adapter = m_map.AdapterPath();
    m_bus.Call(busname::kBluez, adapter, "org.freedesktop.DBus.Properties", "Set",
        [property, value](sd_bus_message* m) {
            return sd_bus_message_append(m, "ssv", kAdapterIface, property, "b", value);
        },
        [this, property, value](sd_bus_message*, bool ok) {
            m_bus.Trace("adapter %s %s%s", property, value ? "on" : "off", ok ? "" : ": refused");
        });
}
