#pragma once

// The adapters and devices BlueZ publishes: read whole when bluetoothd appears, then followed
// through the object manager's and the properties' signals; and the requests the module makes of
// them (link, unlink, forget, the adapter's pairing switches).

#include "HandsFreeMap.h"
#include "SystemBus.h"

#include <functional>
#include <map>
#include <string>

struct BusProps;
class PairingAgent;

class BluezDevices {
public:
    BluezDevices(SystemBus& bus, HandsFreeMap& map, PairingAgent& agent);
    ~BluezDevices();
    BluezDevices(const BluezDevices&) = delete;
    BluezDevices& operator=(const BluezDevices&) = delete;

    // After every change of a device: the linked phone's audio card may come or go with it.
    std::function<void()> onDeviceChanged;
    // After every change of the adapters, and once bluetoothd's objects are all read.
    std::function<void()> onAdaptersChanged;

    struct AdapterFacts {
        bool powered = false;
        std::string address;
        std::string powerState; // "off-blocked" while rfkill blocks it (newer BlueZ only)
        bool handsFree = false; // offers the hands-free unit: oFono registered its profile
    };
    // What BlueZ said of an adapter; null when nothing.
    const AdapterFacts* Adapter(const std::string& path) const;
    // bluetoothd's objects have all been read since it (or the bus) last came.
    bool Loaded() const { return m_loaded; }

    // Once the bus is open: the signals that say what changed.
    void Subscribe();
    void Load();
    // Forgets what bluetoothd said (the bus is gone).
    void Clear();
    // bluetoothd appeared or vanished: nothing it said before holds.
    void Restart(bool present);
    // What BlueZ said of a device so far; null when nothing.
    const DeviceFacts* Find(const std::string& path) const;

    void Connect(const std::string& path, SystemBus::Reply reply);
    void Disconnect(const std::string& path);
    // Asks BlueZ to forget the device; the bridge forgets it at once.
    void Remove(const std::string& path);
    void SetAdapter(const char* property, bool value);

    // Handlers of signals (public for the C callbacks).
    void OnInterfacesAdded(sd_bus_message* m);
    void OnInterfacesRemoved(sd_bus_message* m);
    void OnPropertiesChanged(sd_bus_message* m);

private:
    void AdaptersChanged();
    void ReadObject(sd_bus_message* m, const std::string& path);
    void Apply(const std::string& path, const std::string& iface, const BusProps& props);

    SystemBus& m_bus;
    HandsFreeMap& m_map;
    PairingAgent& m_agent;
    std::map<std::string, AdapterFacts> m_adapters;
    std::map<std::string, DeviceFacts> m_devices; // what the devices said so far
    unsigned long m_retry = 0;
    bool m_loaded = false;
};
