#include "OfonoModems.h"
#include "BusProps.h"
#include "OfonoAudio.h"
#include "SystemBus.h"

#include <systemd/sd-bus.h>

namespace {

constexpr const char* kManagerIface = "org.ofono.Manager";
constexpr const char* kModemIface = "org.ofono.Modem";
constexpr const char* kCallManagerIface = "org.ofono.VoiceCallManager";
constexpr const char* kCallIface = "org.ofono.VoiceCall";
// One modem a linked phone, a few calls each (held, waiting, a conference); more is not followed.
constexpr size_t kMaxModems = 16;
constexpr size_t kMaxCalls = 16;
// The longest text a module frame carries.
constexpr size_t kMaxNumber = 254;

int OnOfonoSignal(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    static_cast<OfonoModems*>(userdata)->OnSignal(m);
    return 0;
}

}

OfonoModems::OfonoModems(SystemBus& bus, HandsFreeMap& map, OfonoAudio& audio)
    : m_bus(bus)
    , m_map(map)
    , m_audio(audio)
{
}

OfonoModems::~OfonoModems()
{
    m_bus.Timers().Cancel(m_retry);
}

void OfonoModems::Subscribe()
{
    for (const char* iface : { kManagerIface, kModemIface, kCallManagerIface, kCallIface })
        sd_bus_match_signal(m_bus.Raw(), nullptr, busname::kOfono, nullptr, iface, nullptr, OnOfonoSignal, this);
}

void OfonoModems::Clear()
{
    m_modems.clear();
    m_callFacts.clear();
    m_audio.Clear();
}

void OfonoModems::Restart(bool present)
{
    m_bus.Timers().Cancel(m_retry);
    Clear();
    m_map.OfonoGone();
    if (present)
        Load();
}

void OfonoModems::Load()
{
    m_bus.Call(busname::kOfono, "/", kManagerIface, "GetModems", nullptr, [this](sd_bus_message* m, bool ok) {
        if (!ok) {
            m_bus.Trace("ofonod does not answer: no hands-free modems");
            m_bus.RetryIfPresent(m, m_retry, [this] { Load(); });
            return;
        }
        ReadObjects(m, "(oa{sv})", [this, m](const char* path) {
            ModemProperties(path, m);
            return true;
        });
    });
    m_audio.Load();
}

void OfonoModems::ModemProperties(const std::string& path, sd_bus_message* m)
{
    BusProps props;
    if (ReadProps(m, props) >= 0)
        ApplyModem(path, props);
}

void OfonoModems::ApplyModem(const std::string& path, const BusProps& props)
{
    if (!m_modems.count(path) && m_modems.size() >= kMaxModems)
        return;
    ModemFacts& modem = m_modems[path];
    bool wasUp = modem.type == "hfp" && modem.online;
    Take(props.text, "Type", modem.type);
    Take(props.flags, "Online", modem.online);
    m_map.Modem(path, modem);
    m_audio.UpdateCard();
    if (!wasUp && modem.type == "hfp" && modem.online) {
        LoadCalls(path);
        if (onModemUp)
            onModemUp(path);
    }
}

void OfonoModems::LoadCalls(const std::string& modem)
{
    auto calls = [this](sd_bus_message* m, bool ok) {
        if (!ok)
            return;
        ReadObjects(m, "(oa{sv})", [this, m](const char* path) {
            CallProperties(path, m);
            return true;
        });
    };
    m_bus.Call(busname::kOfono, modem, kCallManagerIface, "GetCalls", nullptr, calls);
}

void OfonoModems::CallProperties(const std::string& path, sd_bus_message* m)
{
    BusProps props;
    if (ReadProps(m, props) < 0)
        return;
    ApplyCall(path, props);
}

void OfonoModems::ApplyCall(const std::string& path, const BusProps& props)
{
    if (!m_callFacts.count(path) && m_callFacts.size() >= kMaxCalls)
        return;
    auto& [state, number] = m_callFacts[path];
    Take(props.text, "State", state);
    Take(props.text, "LineIdentification", number);
    number = CutText(number, kMaxNumber);
    m_bus.Trace("call %s %s %s", path.c_str(), state.c_str(), number.c_str());
    m_map.Call(path, state, number);
    if (handsfree::PhaseOf(state) == handsfree::CallPhase::Gone)
        m_callFacts.erase(path);
}

void OfonoModems::OnSignal(sd_bus_message* m)
{
    if (!m_bus.From(m, busname::kOfono))
        return;
    std::string iface = sd_bus_message_get_interface(m) ?: "";
    std::string member = sd_bus_message_get_member(m) ?: "";
    std::string path = sd_bus_message_get_path(m) ?: "";
    const char* object = nullptr;
    BusProps props;
    if (iface == kManagerIface && member == "ModemAdded") {
        if (sd_bus_message_read(m, "o", &object) >= 0)
            ModemProperties(object, m);
    } else if (iface == kManagerIface && member == "ModemRemoved") {
        if (sd_bus_message_read(m, "o", &object) >= 0) {
            m_modems.erase(object);
            m_map.ModemGone(object);
        }
    } else if (iface == kModemIface && member == "PropertyChanged") {
        if (m_modems.count(path) && ReadOne(m, props) >= 0)
            ApplyModem(path, props);
    } else if (iface == kCallManagerIface && member == "CallAdded") {
        if (sd_bus_message_read(m, "o", &object) >= 0)
            CallProperties(object, m);
    } else if (iface == kCallManagerIface && member == "CallRemoved") {
        if (sd_bus_message_read(m, "o", &object) >= 0) {
            m_bus.Trace("call %s removed", object);
            m_callFacts.erase(object);
            m_map.CallGone(object);
        }
    } else if (iface == kCallIface && member == "PropertyChanged") {
        if (m_callFacts.count(path) && ReadOne(m, props) >= 0)
            ApplyCall(path, props);
    }
}

void OfonoModems::Answer()
{
    m_bus.Call(busname::kOfono, m_map.CurrentCall(), kCallIface, "Answer", nullptr,
        [this](sd_bus_message*, bool ok) { m_bus.Trace("answer %s", ok ? "done" : "refused"); });
}

void OfonoModems::Hangup()
{
    std::vector<std::string> calls = m_map.CallsToEnd();
    auto done = [this](sd_bus_message*, bool ok) { m_bus.Trace("hangup %s", ok ? "done" : "refused"); };
    if (calls.empty())
        m_bus.Call(busname::kOfono, m_map.LinkedModem(), kCallManagerIface, "HangupAll", nullptr, done);
    // A conference ends call by call, as its calls are the phone's own.
    for (const std::string& call : calls)
        m_bus.Call(busname::kOfono, call, kCallIface, "Hangup", nullptr, done);
}

void OfonoModems::Dial(const std::string& number)
{
    m_bus.Trace("dial %s", number.c_str());
    m_bus.Call(busname::kOfono, m_map.LinkedModem(), kCallManagerIface, "Dial",
        [number](sd_bus_message* m) { return sd_bus_message_append(m, "ss", number.c_str(), ""); },
        [this](sd_bus_message*, bool ok) {
            if (!ok) {
                m_bus.Trace("dial refused");
                m_map.DialFailed();
            }
        });
}

void OfonoModems::SendTone(char key)
{
    std::string tones(1, key);
    m_bus.Call(busname::kOfono, m_map.LinkedModem(), kCallManagerIface, "SendTones",
        [tones](sd_bus_message* m) { return sd_bus_message_append(m, "s", tones.c_str()); },
        [this, key](sd_bus_message*, bool ok) { m_bus.Trace("tone %c %s", key, ok ? "sent" : "refused"); });
}
