#include "BluezPhones.h"

#include <cstring>
#include <systemd/sd-bus.h>

namespace {

constexpr std::chrono::milliseconds kLinkWait { 30000 };

}

BluezPhones::BluezPhones(TimerQueue& timers, FILE* trace)
    : m_timers(timers)
    , m_bus(timers, trace, SystemBus::Kind::System, { busname::kBluez, busname::kOfono })
{
    m_bus.Owners().onChanged = [this](const std::string& name, bool present) { OnNameOwner(name, present); };
}

BluezPhones::~BluezPhones()
{
    for (unsigned long timer : { m_retryTimer, m_linkTimer })
        m_timers.Cancel(timer);
    // Before the parts go: the bus's pending answers and signals point at them.
    m_bus.Close();
}

void BluezPhones::Attach(HandsFreeMap& map)
{
    m_map = &map;
    m_agent = std::make_unique<PairingAgent>(m_bus);
    m_devices = std::make_unique<BluezDevices>(m_bus, map, *m_agent);
    m_audio = std::make_unique<OfonoAudio>(m_bus, map, *m_devices);
    m_modems = std::make_unique<OfonoModems>(m_bus, map, *m_audio);
    m_facts = std::make_unique<OfonoPhoneFacts>(m_bus, map, map.Core());
    m_modems->onModemUp = [this](const std::string& modem) { m_facts->Load(modem); };
    m_devices->onDeviceChanged = [this] { m_audio->UpdateCard(); };
    m_devices->onAdaptersChanged = [this] { ReportHostStack(); };
}

void BluezPhones::Start()
{
    m_retryTimer = 0;
    int r = m_bus.Open();
    if (r >= 0) {
        r = m_bus.Owners().Watch(m_bus);
    }
    if (r >= 0) {
        m_devices->Subscribe();
        m_modems->Subscribe();
        m_facts->Subscribe();
        m_audio->Subscribe();
        r = m_agent->Subscribe();
    }
    if (r < 0) {
        // Said once: a machine without a system bus would fill the trace every two seconds.
        if (!m_busMissing)
            m_bus.Trace("no system bus (%s); trying again every %lld ms", strerror(-r),
                static_cast<long long>(SystemBus::kRetry.count()));
        m_busMissing = true;
        m_bus.Close();
        ReportHostStack();
        m_retryTimer = m_timers.After(SystemBus::kRetry, [this] { Start(); });
        return;
    }
    m_busMissing = false;
    m_bus.Trace("system bus connected");
    AskOwners();
    m_devices->Load();
    m_modems->Load();
}

void BluezPhones::Process()
{
    if (!m_bus.Process())
        Disconnected();
}

void BluezPhones::Disconnected()
{
    m_bus.Trace("system bus lost");
    m_bus.Close();
    m_modems->Clear();
    m_devices->Clear();
    m_map->OfonoGone();
    m_map->BluezGone();
    ReportHostStack();
    m_retryTimer = m_timers.After(SystemBus::kRetry, [this] { Start(); });
}

void BluezPhones::OnNameOwner(const std::string& name, bool present)
{
    m_bus.Trace("%s %s", name.c_str(), present ? "appeared" : "vanished");
    (name == busname::kBluez ? m_bluezOwned : m_ofonoOwned) = present;
    ReportHostStack();
    if (name == busname::kBluez)
        m_devices->Restart(present);
    else
        m_modems->Restart(present);
}

// --- The module's commands ---------------------------------------------------------------------

std::vector<PairedPhone> BluezPhones::PairedPhones() const
{
    return m_map->PairedPhones();
}

void BluezPhones::Connect(const BtAddress& address)
{
    auto device = m_map->DevicePath(address);
    m_bus.Trace("connect %s", handsfree::AddressText(address).c_str());
    m_devices->Connect(device.value_or(""), [this](sd_bus_message* m, bool ok) {
        if (!ok) {
            m_bus.Trace("connect refused: %s", m ? sd_bus_message_get_error(m)->message ?: "" : "no bus");
            m_map->ConnectFailed();
            return;
        }
        m_timers.Cancel(m_linkTimer);
        m_linkTimer = m_timers.After(kLinkWait, [this] {
            m_linkTimer = 0;
            if (m_map->LinkedModem().empty()) {
                m_bus.Trace("no hands-free modem came up for the phone");
                m_map->ConnectFailed();
            }
        });
    });
}

void BluezPhones::Disconnect()
{
    m_timers.Cancel(m_linkTimer);
    m_linkTimer = 0;
    m_bus.Trace("disconnect");
    m_devices->Disconnect(m_map->LinkedDevice());
}

void BluezPhones::PairingWindow(bool open)
{
    if (open == m_agent->Pairing())
        return;
    m_agent->SetPairing(open);
    m_map->PairingWindow(open);
    m_bus.Trace("pairing window %s", open ? "open" : "closed");
    if (open)
        m_devices->SetAdapter("Pairable", true);
    m_devices->SetAdapter("Discoverable", open);
}

void BluezPhones::RemovePairing(const BtAddress& address)
{
    auto device = m_map->DevicePath(address);
    if (!device)
        return;
    m_bus.Trace("remove %s", device->c_str());
    // The list the module answers next must not show it, whenever BlueZ gets round to it.
    m_devices->Remove(*device);
    m_map->Forget(address);
}

void BluezPhones::Answer()
{
    m_modems->Answer();
}

void BluezPhones::Hangup()
{
    m_modems->Hangup();
}

void BluezPhones::Dial(const std::string& number)
{
    m_modems->Dial(number);
}

void BluezPhones::SendTone(char key)
{
    m_modems->SendTone(key);
}

void BluezPhones::TransferAudio(bool toDevice)
{
    m_audio->TransferAudio(toDevice);
}

void BluezPhones::SetSpeakerVolume(BYTE level)
{
    m_audio->SetSpeakerVolume(level);
}

void BluezPhones::SetMicGain(BYTE gain)
{
    m_audio->SetMicGain(gain);
}

void BluezPhones::BridgeAction(bridge::Action action)
{
    m_facts->Act(action);
}
