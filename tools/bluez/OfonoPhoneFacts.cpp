#include "OfonoPhoneFacts.h"

#include "BusProps.h"
#include "HandsFreeMap.h"
#include "SystemBus.h"

#include <systemd/sd-bus.h>

namespace {

constexpr const char* kNetworkIface = "org.ofono.NetworkRegistration";
constexpr const char* kHandsfreeIface = "org.ofono.Handsfree";
constexpr const char* kCallManagerIface = "org.ofono.VoiceCallManager";
constexpr const char* kCallIface = "org.ofono.VoiceCall";

int OnFactSignal(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    static_cast<OfonoPhoneFacts*>(userdata)->OnSignal(m);
    return 0;
}

}

OfonoPhoneFacts::OfonoPhoneFacts(SystemBus& bus, HandsFreeMap& map, ModuleCore& core)
    : m_bus(bus)
    , m_map(map)
    , m_indicators(core)
{
}

void OfonoPhoneFacts::Subscribe()
{
    // Only ofonod's own signals: anyone on the bus may send one with these names.
    for (const char* iface : { kNetworkIface, kHandsfreeIface })
        sd_bus_match_signal(
            m_bus.Raw(), nullptr, busname::kOfono, nullptr, iface, "PropertyChanged", OnFactSignal, this);
}

void OfonoPhoneFacts::Load(const std::string& modem)
{
    for (const char* iface : { kNetworkIface, kHandsfreeIface }) {
        std::string which = iface;
        m_bus.Call(busname::kOfono, modem, iface, "GetProperties", nullptr,
            [this, modem, which](sd_bus_message* m, bool ok) {
                BusProps props;
                // A phone without the interface simply shows nothing of it.
                if (ok && ReadProps(m, props) >= 0)
                    Apply(modem, which, props);
            });
    }
}

void OfonoPhoneFacts::OnSignal(sd_bus_message* m)
{
    // A signal sent to the bridge alone passes any match rule: the sender is checked here too.
    if (!m_bus.From(m, busname::kOfono))
        return;
    std::string iface = sd_bus_message_get_interface(m) ?: "";
    std::string path = sd_bus_message_get_path(m) ?: "";
    BusProps props;
    if (ReadOne(m, props) >= 0)
        Apply(path, iface, props);
}

void OfonoPhoneFacts::Apply(const std::string& modem, const std::string& iface, const BusProps& props)
{
    // Another phone's modem (one linked earlier, say) is not the one on the screen.
    if (modem != m_map.LinkedModem())
        return;
    if (iface == kNetworkIface) {
        if (auto it = props.numbers.find("Strength"); it != props.numbers.end())
            m_indicators.Strength(it->second);
        if (auto it = props.text.find("Name"); it != props.text.end())
            m_indicators.OperatorName(it->second);
        if (auto it = props.text.find("Status"); it != props.text.end())
            m_indicators.Status(it->second);
    } else if (iface == kHandsfreeIface) {
        if (auto it = props.numbers.find("BatteryChargeLevel"); it != props.numbers.end())
            m_indicators.Battery(it->second);
        // The phone ending its assistant (or starting it on its own) reaches the screen as well.
        if (auto it = props.flags.find("VoiceRecognition"); it != props.flags.end())
            m_indicators.Assistant(it->second);
        if (auto it = props.flags.find("InbandRinging"); it != props.flags.end())
            m_indicators.InbandRinging(it->second);
    }
}

void OfonoPhoneFacts::Act(bridge::Action action)
{
    std::string modem = m_map.LinkedModem();
    auto done = [this, action](sd_bus_message*, bool ok) {
        m_bus.Trace("%s %s", std::string(bridge::ActionName(action)).c_str(), ok ? "done" : "refused");
    };
    const char* member = nullptr;
    switch (action) {
    case bridge::Action::HoldAndAnswer:
        member = "HoldAndAnswer";
        break;
    case bridge::Action::ReleaseAndAnswer:
        member = "ReleaseAndAnswer";
        break;
    case bridge::Action::SwapCalls:
        member = "SwapCalls";
        break;
    case bridge::Action::MergeCalls:
        member = "CreateMultiparty";
        break;
    case bridge::Action::RejectWaiting: {
        std::string waiting = m_map.WaitingCall();
        if (waiting.empty())
            m_bus.Trace("reject-waiting: no call waits");
        else
            m_bus.Call(busname::kOfono, waiting, kCallIface, "Hangup", nullptr, done);
        return;
    }
    case bridge::Action::AssistantStart:
    case bridge::Action::AssistantStop: {
        int on = action == bridge::Action::AssistantStart;
        m_bus.Call(
            busname::kOfono, modem, kHandsfreeIface, "SetProperty",
            [on](sd_bus_message* m) { return sd_bus_message_append(m, "sv", "VoiceRecognition", "b", on); },
            done);
        return;
    }
    }
    if (member)
        m_bus.Call(busname::kOfono, modem, kCallManagerIface, member, nullptr, done);
}
