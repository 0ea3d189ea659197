#include "OfonoAudio.h"
#include "BluezDevices.h"
#include "BusProps.h"
#include "SystemBus.h"

#include <strings.h>
#include <systemd/sd-bus.h>

namespace {

constexpr const char* kAudioManagerIface = "org.ofono.HandsfreeAudioManager";
// One card a linked phone; more is not followed.
constexpr size_t kMaxCards = 16;

int OnAudioSignal(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    static_cast<OfonoAudio*>(userdata)->OnSignal(m);
    return 0;
}

}

OfonoAudio::OfonoAudio(SystemBus& bus, HandsFreeMap& map, const BluezDevices& devices)
    : m_bus(bus)
    , m_map(map)
    , m_devices(devices)
{
}

void OfonoAudio::Subscribe()
{
    sd_bus_match_signal(
        m_bus.Raw(), nullptr, busname::kOfono, nullptr, kAudioManagerIface, nullptr, OnAudioSignal, this);
}

void OfonoAudio::Clear()
{
    m_cards.clear();
    m_card.clear();
}

void OfonoAudio::Load()
{
    auto cards = [this](sd_bus_message* m, bool ok) {
        if (!ok)
            return;
        ReadObjects(m, "(oa{sv})", [this, m](const char* path) {
            BusProps props;
            if (ReadProps(m, props) < 0)
                return false;
            Apply(path, props);
            return true;
        });
    };
    m_bus.Call(busname::kOfono, "/", kAudioManagerIface, "GetCards", nullptr, cards);
}

void OfonoAudio::Apply(const std::string& path, const BusProps& props)
{
    if (!m_cards.count(path) && m_cards.size() >= kMaxCards)
        return;
    std::string remote;
    Take(props.text, "RemoteAddress", remote);
    m_cards[path] = remote;
    UpdateCard();
}

void OfonoAudio::OnSignal(sd_bus_message* m)
{
    if (!m_bus.From(m, busname::kOfono))
        return;
    std::string member = sd_bus_message_get_member(m) ?: "";
    const char* object = nullptr;
    BusProps props;
    if (member == "CardAdded") {
        if (sd_bus_message_read(m, "o", &object) >= 0 && ReadProps(m, props) >= 0)
            Apply(object, props);
    } else if (member == "CardRemoved") {
        if (sd_bus_message_read(m, "o", &object) >= 0) {
            m_cards.erase(object);
            UpdateCard();
        }
    }
}

// The linked phone's audio card: its voice can reach the car.
void OfonoAudio::UpdateCard()
{
    UpdateLevels();
    const DeviceFacts* device = m_devices.Find(m_map.LinkedDevice());
    m_card.clear();
    for (const auto& [path, remote] : m_cards) {
        if (device && strcasecmp(remote.c_str(), device->address.c_str()) == 0)
            m_card = path;
    }
    m_map.AudioCard(!m_card.empty());
}

void OfonoAudio::TransferAudio(bool toDevice)
{
    if (!toDevice || m_card.empty()) {
        // oFono has no request that hands the voice back to the phone; the phone's own button does.
        m_bus.Trace("audio to the %s: not offered by oFono", toDevice ? "car" : "phone");
        return;
    }
    m_bus.Call(busname::kOfono, m_card, "org.ofono.HandsfreeAudioCard", "Connect", nullptr,
        [this](sd_bus_message*, bool ok) {
            m_bus.Trace("audio to the car %s", ok ? "done" : "refused");
            if (ok)
                m_map.AudioCard(true);
        });
}

void OfonoAudio::SetSpeakerVolume(BYTE level)
{
    m_speaker = level;
    SendLevel("SpeakerVolume", handsfree::SpeakerPercent(level));
}

void OfonoAudio::SetMicGain(BYTE gain)
{
    m_micGain = gain;
    SendLevel("MicrophoneVolume", handsfree::MicrophonePercent(gain));
}

void OfonoAudio::SendLevel(const char* property, BYTE percent)
{
    if (m_map.LinkedModem().empty())
        return;
    m_bus.Call(busname::kOfono, m_map.LinkedModem(), "org.ofono.CallVolume", "SetProperty",
        [property, percent](sd_bus_message* m) {
            return sd_bus_message_append(m, "sv", property, "y", percent);
        },
        [this, property, percent](sd_bus_message*, bool ok) {
            m_bus.Trace("%s %u%% %s", property, percent, ok ? "set" : "refused");
        });
}

// The application sets its levels at start, usually before a phone links: each new link gets them.
void OfonoAudio::UpdateLevels()
{
    std::string modem = m_map.LinkedModem();
    if (modem == m_levelsModem)
        return;
    m_levelsModem = modem;
    if (m_speaker)
        SendLevel("SpeakerVolume", handsfree::SpeakerPercent(*m_speaker));
    if (m_micGain)
        SendLevel("MicrophoneVolume", handsfree::MicrophonePercent(*m_micGain));
}
