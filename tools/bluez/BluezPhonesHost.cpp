// The bridge's side of the host stack report: the facts the bus gives, gathered for the watch,
// and the adapter switched on when the driver opens Connect or Pairing.

#include "BluezPhones.h"
#include "HostStackWatch.h"
#include "RfkillState.h"

#include <systemd/sd-bus.h>

namespace {

constexpr int kDaemons = 2;
constexpr const char* kBlockedPowerState = "off-blocked";

}

void BluezPhones::WatchHostStack(HostStackWatch& watch, std::filesystem::path rfkill)
{
    m_host = &watch;
    m_rfkill = std::move(rfkill);
}

void BluezPhones::TraceLine(const std::string& line)
{
    m_bus.Trace("%s", line.c_str());
}

void BluezPhones::AskOwners()
{
    m_ownersAnswered = 0;
    for (const char* name : { busname::kBluez, busname::kOfono }) {
        m_bus.Call(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
            [name](sd_bus_message* m) { return sd_bus_message_append(m, "s", name); },
            [this, name](sd_bus_message* m, bool ok) {
                int owned = 0;
                if (ok && sd_bus_message_read(m, "b", &owned) < 0)
                    owned = 0;
                (std::string(name) == busname::kBluez ? m_bluezOwned : m_ofonoOwned) = owned != 0;
                ++m_ownersAnswered;
                ReportHostStack();
            });
    }
}

void BluezPhones::ReportHostStack()
{
    if (!m_host)
        return;
    HostFacts facts;
    facts.bus = m_bus.Raw() != nullptr;
    // Nothing is said until the daemons are known, and bluetoothd's adapters read: a start
    // would otherwise flash "no bluetoothd" or "no adapter" for a moment.
    if (facts.bus && (m_ownersAnswered < kDaemons || (m_bluezOwned && !m_devices->Loaded())))
        return;
    facts.bluez = facts.bus && m_bluezOwned;
    facts.ofono = facts.bus && m_ofonoOwned;
    const std::string path = m_map->AdapterPath();
    const BluezDevices::AdapterFacts* adapter = path.empty() ? nullptr : m_devices->Adapter(path);
    if (facts.bluez && adapter) {
        facts.adapter = true;
        facts.powered = adapter->powered;
        facts.blocked = adapter->powerState == kBlockedPowerState
            || (!adapter->powered && rfkill::BluetoothBlocked(m_rfkill));
        facts.handsFree = adapter->handsFree;
    }
    m_host->Update(facts);
}

void BluezPhones::PowerOnIfOff()
{
    if (!m_host || m_host->Last() != bridge::HostStack::AdapterOff)
        return;
    m_bus.Trace("adapter off: switching it on");
    m_devices->SetAdapter("Powered", true);
}
