#include "BluezPhones.h"
#include "BusProps.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <strings.h>
#include <systemd/sd-bus.h>

namespace {

constexpr const char* kBluez = "org.bluez";
constexpr const char* kOfono = "org.ofono";
constexpr const char* kAdapterIface = "org.bluez.Adapter1";
constexpr const char* kDeviceIface = "org.bluez.Device1";
constexpr const char* kAgentPath = "/org/ostrilan/agent";
constexpr const char* kAgentIface = "org.bluez.Agent1";
constexpr const char* kRejected = "org.bluez.Error.Rejected";
// A daemon that has not answered by then is treated as having said no; the module never waits.
constexpr uint64_t kCallTimeoutUs = 5'000'000;
// Paging a phone and bringing its hands-free profile up can take a while.
constexpr uint64_t kConnectTimeoutUs = 30'000'000;
constexpr std::chrono::milliseconds kLinkWait { 30000 };
constexpr std::chrono::milliseconds kRetry { 2000 };
constexpr int kMaxPerTurn = 64;

double Seconds()
{
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Trampoline(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    auto* reply = static_cast<BluezPhones::Reply*>(userdata);
    (*reply)(m, !sd_bus_message_is_method_error(m, nullptr));
    return 0;
}

void DeleteReply(void* userdata)
{
    delete static_cast<BluezPhones::Reply*>(userdata);
}

BluezPhones* Self(void* userdata)
{
    return static_cast<BluezPhones*>(userdata);
}

int OnNameOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) < 0)
        return 0;
    if (strcmp(name, kBluez) == 0 || strcmp(name, kOfono) == 0)
        Self(userdata)->OnNameOwner(name, after && *after);
    return 0;
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

int OnOfono(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    Self(userdata)->OnOfonoSignal(m);
    return 0;
}

int OnAgentCall(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return Self(userdata)->OnAgent(m);
}

}

BluezPhones::BluezPhones(TimerQueue& timers, FILE* trace)
    : m_timers(timers)
    , m_trace(trace)
{
}

BluezPhones::~BluezPhones()
{
    for (unsigned long timer : { m_retryTimer, m_linkTimer, m_bluezRetry, m_ofonoRetry })
        m_timers.Cancel(timer);
    if (m_bus)
        sd_bus_flush_close_unref(m_bus);
}

void BluezPhones::Trace(const char* format, ...)
{
    if (!m_trace)
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fprintf(m_trace, "%lld bluez %s\n", static_cast<long long>(Seconds() * 1000), text);
    fflush(m_trace);
}

void BluezPhones::Start()
{
    m_retryTimer = 0;
    int r = sd_bus_open_system(&m_bus);
    if (r >= 0) {
        sd_bus_match_signal(m_bus, nullptr, "org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus", "NameOwnerChanged", OnNameOwnerChanged, this);
        // Senders are not matched by name here: a restarted daemon has a new unique name, and the
        // interfaces are the daemons' own.
        sd_bus_match_signal(m_bus, nullptr, nullptr, "/", "org.freedesktop.DBus.ObjectManager",
            "InterfacesAdded", OnAdded, this);
        sd_bus_match_signal(m_bus, nullptr, nullptr, "/", "org.freedesktop.DBus.ObjectManager",
            "InterfacesRemoved", OnRemoved, this);
        sd_bus_match_signal(
            m_bus, nullptr, nullptr, nullptr, "org.freedesktop.DBus.Properties", "PropertiesChanged", OnChanged, this);
        for (const char* iface : { "org.ofono.Manager", "org.ofono.Modem", "org.ofono.VoiceCallManager",
                 "org.ofono.VoiceCall", "org.ofono.HandsfreeAudioManager" })
            sd_bus_match_signal(m_bus, nullptr, nullptr, nullptr, iface, nullptr, OnOfono, this);
        r = sd_bus_add_object(m_bus, nullptr, kAgentPath, OnAgentCall, this);
    }
    if (r < 0) {
        // Said once: a machine without a system bus would fill the trace every two seconds.
        if (!m_busMissing)
            Trace("no system bus (%s); trying again every %lld ms", strerror(-r), static_cast<long long>(kRetry.count()));
        m_busMissing = true;
        if (m_bus)
            m_bus = sd_bus_flush_close_unref(m_bus);
        m_retryTimer = m_timers.After(kRetry, [this] { Start(); });
        return;
    }
    m_busMissing = false;
    Trace("system bus connected");
    LoadBluez();
    LoadOfono();
}

void BluezPhones::Disconnected()
{
    Trace("system bus lost");
    m_bus = sd_bus_flush_close_unref(m_bus);
    m_modems.clear();
    m_callFacts.clear();
    m_devices.clear();
    m_adapters.clear();
    m_cards.clear();
    m_card.clear();
    Map().OfonoGone();
    Map().BluezGone();
    m_retryTimer = m_timers.After(kRetry, [this] { Start(); });
}

int BluezPhones::Fd() const
{
    return m_bus ? sd_bus_get_fd(m_bus) : -1;
}

short BluezPhones::Events() const
{
    int events = m_bus ? sd_bus_get_events(m_bus) : 0;
    return static_cast<short>(events < 0 ? 0 : events);
}

int BluezPhones::WaitMs() const
{
    uint64_t until = 0;
    if (!m_bus || sd_bus_get_timeout(m_bus, &until) < 0 || until == UINT64_MAX)
        return -1;
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t nowUs = static_cast<uint64_t>(now.tv_sec) * 1'000'000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
    return until <= nowUs ? 0 : static_cast<int>((until - nowUs + 999) / 1000);
}

void BluezPhones::Process()
{
    // A flood of signals must not starve the pty: the rest waits for the next turn of the loop,
    // which comes at once because sd-bus then asks for no wait.
    for (int i = 0; m_bus && i < kMaxPerTurn; ++i) {
        int r = sd_bus_process(m_bus, nullptr);
        if (r < 0) {
            Disconnected();
            return;
        }
        if (r == 0)
            return;
    }
}

void BluezPhones::Call(const char* service, const std::string& path, const char* interface, const char* member,
    const Args& args, Reply reply)
{
    if (!m_bus || path.empty()) {
        reply(nullptr, false);
        return;
    }
    sd_bus_message* m = nullptr;
    sd_bus_slot* slot = nullptr;
    uint64_t timeout = strcmp(member, "Connect") == 0 && strcmp(interface, kDeviceIface) == 0 ? kConnectTimeoutUs
                                                                                               : kCallTimeoutUs;
    int r = sd_bus_message_new_method_call(m_bus, &m, service, path.c_str(), interface, member);
    if (r >= 0 && args)
        r = args(m);
    auto* held = new Reply(std::move(reply));
    if (r >= 0)
        r = sd_bus_call_async(m_bus, &slot, m, Trampoline, held, timeout);
    sd_bus_message_unref(m);
    if (r < 0) {
        Trace("call %s.%s on %s failed: %s", interface, member, path.c_str(), strerror(-r));
        (*held)(nullptr, false);
        delete held;
        return;
    }
    // The slot lives as long as the call: the bus holds it (floating) and frees it, and the
    // reply with it, once the answer is in or the bus is gone.
    sd_bus_slot_set_destroy_callback(slot, DeleteReply);
    sd_bus_slot_set_floating(slot, 1);
    sd_bus_slot_unref(slot);
}

void BluezPhones::OnNameOwner(const std::string& name, bool present)
{
    Trace("%s %s", name.c_str(), present ? "appeared" : "vanished");
    if (name == kBluez) {
        m_timers.Cancel(m_bluezRetry);
        m_devices.clear();
        m_adapters.clear();
        Map().BluezGone();
        if (present)
            LoadBluez();
    } else {
        m_timers.Cancel(m_ofonoRetry);
        m_modems.clear();
        m_callFacts.clear();
        m_cards.clear();
        m_card.clear();
        Map().OfonoGone();
        if (present)
            LoadOfono();
    }
}

// A daemon that owns its name but is not ready to answer yet (still starting) is asked again a
// little later; one that is not there at all is left until its name appears.
void BluezPhones::RetryIfPresent(sd_bus_message* reply, unsigned long& timer, std::function<void()> again)
{
    const sd_bus_error* error = reply ? sd_bus_message_get_error(reply) : nullptr;
    if (!reply || (error && (sd_bus_error_has_name(error, SD_BUS_ERROR_SERVICE_UNKNOWN)
                                || sd_bus_error_has_name(error, SD_BUS_ERROR_NAME_HAS_NO_OWNER))))
        return;
    m_timers.Cancel(timer);
    timer = m_timers.After(kRetry, [&timer, again] {
        timer = 0;
        again();
    });
}

// --- BlueZ -------------------------------------------------------------------------------------

void BluezPhones::LoadBluez()
{
    Call(kBluez, "/", "org.freedesktop.DBus.ObjectManager", "GetManagedObjects", nullptr,
        [this](sd_bus_message* m, bool ok) {
            if (!ok) {
                Trace("bluetoothd does not answer: no adapter");
                RetryIfPresent(m, m_bluezRetry, [this] { LoadBluez(); });
                return;
            }
            if (sd_bus_message_enter_container(m, 'a', "{oa{sa{sv}}}") < 0)
                return;
            while (sd_bus_message_enter_container(m, 'e', "oa{sa{sv}}") > 0) {
                const char* path = nullptr;
                if (sd_bus_message_read(m, "o", &path) < 0)
                    return;
                ReadObject(m, path);
                if (sd_bus_message_exit_container(m) < 0)
                    return;
            }
            Map().BluezLoaded();
            RegisterAgent();
        });
}

// a{sa{sv}}: the interfaces of one object.
void BluezPhones::ReadObject(sd_bus_message* m, const std::string& path)
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
            ApplyBluez(path, name, props);
        } else if (sd_bus_message_skip(m, "a{sv}") < 0) {
            return;
        }
        if (sd_bus_message_exit_container(m) < 0)
            return;
    }
    sd_bus_message_exit_container(m);
}

void BluezPhones::ApplyBluez(const std::string& path, const std::string& iface, const BusProps& props)
{
    if (iface == kAdapterIface) {
        AdapterFacts& a = m_adapters[path];
        Take(props.flags, "Powered", a.powered);
        Take(props.text, "Address", a.address);
        Map().Adapter(path, true, a.powered, a.address);
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
    auto uuids = props.lists.find("UUIDs");
    if (uuids != props.lists.end() && !uuids->second.empty()) {
        d.gatewayKnown = true;
        d.gateway = std::find(uuids->second.begin(), uuids->second.end(), handsfree::kGatewayUuid) != uuids->second.end();
    }
    Map().Device(path, d);
    UpdateCard();
}

void BluezPhones::OnInterfacesAdded(sd_bus_message* m)
{
    const char* path = nullptr;
    if (sd_bus_message_read(m, "o", &path) < 0)
        return;
    std::string p = path;
    if (p.rfind("/org/bluez", 0) == 0)
        ReadObject(m, p);
}

void BluezPhones::OnInterfacesRemoved(sd_bus_message* m)
{
    const char* path = nullptr;
    char** ifaces = nullptr;
    if (sd_bus_message_read(m, "o", &path) < 0 || sd_bus_message_read_strv(m, &ifaces) < 0)
        return;
    std::string p = path;
    for (char** i = ifaces; i && *i; ++i) {
        if (strcmp(*i, kAdapterIface) == 0) {
            Trace("adapter %s removed", path);
            m_adapters.erase(p);
            Map().Adapter(p, false, false, {});
        } else if (strcmp(*i, kDeviceIface) == 0) {
            m_devices.erase(p);
            Map().DeviceGone(p);
        }
        free(*i);
    }
    free(ifaces);
}

void BluezPhones::OnPropertiesChanged(sd_bus_message* m)
{
    const char* iface = nullptr;
    if (sd_bus_message_read(m, "s", &iface) < 0)
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
    ApplyBluez(path, name, props);
}

void BluezPhones::SetAdapter(const char* property, bool value)
{
    std::string adapter = Map().AdapterPath();
    Call(kBluez, adapter, "org.freedesktop.DBus.Properties", "Set",
        [property, value](sd_bus_message* m) { return sd_bus_message_append(m, "ssv", kAdapterIface, property, "b", value); },
        [this, property, value](sd_bus_message*, bool ok) {
            Trace("adapter %s %s%s", property, value ? "on" : "off", ok ? "" : ": refused");
        });
}

void BluezPhones::RegisterAgent()
{
    Call(kBluez, "/org/bluez", "org.bluez.AgentManager1", "RegisterAgent",
        [](sd_bus_message* m) { return sd_bus_message_append(m, "os", kAgentPath, "DisplayYesNo"); },
        [this](sd_bus_message*, bool ok) {
            Trace("pairing agent %s", ok ? "registered" : "not registered");
            if (ok) {
                Call(kBluez, "/org/bluez", "org.bluez.AgentManager1", "RequestDefaultAgent",
                    [](sd_bus_message* m) { return sd_bus_message_append(m, "o", kAgentPath); },
                    [](sd_bus_message*, bool) { });
            }
        });
}

int BluezPhones::OnAgent(sd_bus_message* m)
{
    if (!sd_bus_message_is_method_call(m, kAgentIface, nullptr))
        return 0;
    std::string member = sd_bus_message_get_member(m) ?: "";
    const char* device = nullptr;
    uint32_t passkey = 0;
    if (member == "RequestConfirmation" && sd_bus_message_read(m, "ou", &device, &passkey) >= 0) {
        Trace("pairing %s: passkey %06u %s", device, passkey, m_pairing ? "confirmed" : "refused");
    } else if (member == "DisplayPasskey" && sd_bus_message_read(m, "ou", &device, &passkey) >= 0) {
        Trace("pairing %s: passkey %06u", device, passkey);
        return sd_bus_reply_method_return(m, nullptr);
    } else if (member == "DisplayPinCode") {
        const char* pin = nullptr;
        if (sd_bus_message_read(m, "os", &device, &pin) >= 0)
            Trace("pairing %s: PIN %s", device, pin);
        return sd_bus_reply_method_return(m, nullptr);
    } else if (member == "RequestPinCode" || member == "RequestPasskey") {
        if (!m_pairing)
            return sd_bus_reply_method_errorf(m, kRejected, "not pairing");
        Trace("pairing: PIN 0000 offered");
        return member == "RequestPinCode" ? sd_bus_reply_method_return(m, "s", "0000")
                                          : sd_bus_reply_method_return(m, "u", 0u);
    } else if (member == "AuthorizeService") {
        // A paired phone may use its profiles; that is what pairing it was for.
        return sd_bus_reply_method_return(m, nullptr);
    } else if (member != "RequestAuthorization" && member != "Release" && member != "Cancel") {
        return 0;
    }
    if (member == "Release" || member == "Cancel" || m_pairing)
        return sd_bus_reply_method_return(m, nullptr);
    return sd_bus_reply_method_errorf(m, kRejected, "not pairing");
}

// --- oFono -------------------------------------------------------------------------------------

void BluezPhones::LoadOfono()
{
    Call(kOfono, "/", "org.ofono.Manager", "GetModems", nullptr, [this](sd_bus_message* m, bool ok) {
        if (!ok) {
            Trace("ofonod does not answer: no hands-free modems");
            RetryIfPresent(m, m_ofonoRetry, [this] { LoadOfono(); });
            return;
        }
        if (sd_bus_message_enter_container(m, 'a', "(oa{sv})") < 0)
            return;
        while (sd_bus_message_enter_container(m, 'r', "oa{sv}") > 0) {
            const char* path = nullptr;
            if (sd_bus_message_read(m, "o", &path) < 0)
                return;
            ModemProperties(path, m);
            if (sd_bus_message_exit_container(m) < 0)
                return;
        }
    });
    LoadCards();
}

void BluezPhones::ApplyModem(const std::string& path, const BusProps& props)
{
    ModemFacts& modem = m_modems[path];
    bool wasUp = modem.type == "hfp" && modem.online;
    Take(props.text, "Type", modem.type);
    Take(props.flags, "Online", modem.online);
    Map().Modem(path, modem);
    UpdateCard();
    if (!wasUp && modem.type == "hfp" && modem.online)
        LoadCalls(path);
}

void BluezPhones::ModemProperties(const std::string& path, sd_bus_message* m)
{
    BusProps props;
    if (ReadProps(m, props) >= 0)
        ApplyModem(path, props);
}

void BluezPhones::LoadCalls(const std::string& modem)
{
    Call(kOfono, modem, "org.ofono.VoiceCallManager", "GetCalls", nullptr, [this](sd_bus_message* m, bool ok) {
        if (!ok || sd_bus_message_enter_container(m, 'a', "(oa{sv})") < 0)
            return;
        while (sd_bus_message_enter_container(m, 'r', "oa{sv}") > 0) {
            const char* path = nullptr;
            if (sd_bus_message_read(m, "o", &path) < 0)
                return;
            CallProperties(path, m);
            if (sd_bus_message_exit_container(m) < 0)
                return;
        }
    });
}

void BluezPhones::CallProperties(const std::string& path, sd_bus_message* m)
{
    BusProps props;
    if (ReadProps(m, props) < 0)
        return;
    ApplyCall(path, props);
}

void BluezPhones::ApplyCall(const std::string& path, const BusProps& props)
{
    auto& [state, number] = m_callFacts[path];
    Take(props.text, "State", state);
    Take(props.text, "LineIdentification", number);
    Trace("call %s %s %s", path.c_str(), state.c_str(), number.c_str());
    Map().Call(path, state, number);
    if (handsfree::PhaseOf(state) == handsfree::CallPhase::Gone)
        m_callFacts.erase(path);
}

void BluezPhones::LoadCards()
{
    Call(kOfono, "/", "org.ofono.HandsfreeAudioManager", "GetCards", nullptr, [this](sd_bus_message* m, bool ok) {
        if (!ok || sd_bus_message_enter_container(m, 'a', "(oa{sv})") < 0)
            return;
        while (sd_bus_message_enter_container(m, 'r', "oa{sv}") > 0) {
            const char* path = nullptr;
            BusProps props;
            if (sd_bus_message_read(m, "o", &path) < 0 || ReadProps(m, props) < 0)
                return;
            ApplyCard(path, props);
            if (sd_bus_message_exit_container(m) < 0)
                return;
        }
    });
}

void BluezPhones::ApplyCard(const std::string& path, const BusProps& props)
{
    std::string remote;
    Take(props.text, "RemoteAddress", remote);
    m_cards[path] = remote;
    UpdateCard();
}

// The linked phone's audio card: its voice can reach the car.
void BluezPhones::UpdateCard()
{
    UpdateLevels();
    std::string linked = Map().LinkedDevice();
    auto device = m_devices.find(linked);
    m_card.clear();
    for (const auto& [path, remote] : m_cards) {
        if (device != m_devices.end() && strcasecmp(remote.c_str(), device->second.address.c_str()) == 0)
            m_card = path;
    }
    Map().AudioCard(!m_card.empty());
}

void BluezPhones::OnOfonoSignal(sd_bus_message* m)
{
    std::string iface = sd_bus_message_get_interface(m) ?: "";
    std::string member = sd_bus_message_get_member(m) ?: "";
    std::string path = sd_bus_message_get_path(m) ?: "";
    const char* object = nullptr;
    BusProps props;
    if (iface == "org.ofono.Manager" && member == "ModemAdded") {
        if (sd_bus_message_read(m, "o", &object) >= 0)
            ModemProperties(object, m);
    } else if (iface == "org.ofono.Manager" && member == "ModemRemoved") {
        if (sd_bus_message_read(m, "o", &object) >= 0) {
            m_modems.erase(object);
            Map().ModemGone(object);
        }
    } else if (iface == "org.ofono.Modem" && member == "PropertyChanged") {
        if (m_modems.count(path) && ReadOne(m, props) >= 0)
            ApplyModem(path, props);
    } else if (iface == "org.ofono.VoiceCallManager" && member == "CallAdded") {
        if (sd_bus_message_read(m, "o", &object) >= 0)
            CallProperties(object, m);
    } else if (iface == "org.ofono.VoiceCallManager" && member == "CallRemoved") {
        if (sd_bus_message_read(m, "o", &object) >= 0) {
            Trace("call %s removed", object);
            m_callFacts.erase(object);
            Map().CallGone(object);
        }
    } else if (iface == "org.ofono.VoiceCall" && member == "PropertyChanged") {
        if (m_callFacts.count(path) && ReadOne(m, props) >= 0)
            ApplyCall(path, props);
    } else if (iface == "org.ofono.HandsfreeAudioManager" && member == "CardAdded") {
        if (sd_bus_message_read(m, "o", &object) >= 0 && ReadProps(m, props) >= 0)
            ApplyCard(object, props);
    } else if (iface == "org.ofono.HandsfreeAudioManager" && member == "CardRemoved") {
        if (sd_bus_message_read(m, "o", &object) >= 0) {
            m_cards.erase(object);
            UpdateCard();
        }
    }
}

// --- The module's commands ---------------------------------------------------------------------

std::vector<PairedPhone> BluezPhones::PairedPhones() const
{
    return m_map->PairedPhones();
}

void BluezPhones::Connect(const BtAddress& address)
{
    auto device = Map().DevicePath(address);
    Trace("connect %s", handsfree::AddressText(address).c_str());
    Call(kBluez, device.value_or(""), kDeviceIface, "Connect", nullptr, [this](sd_bus_message* m, bool ok) {
        if (!ok) {
            Trace("connect refused: %s", m ? sd_bus_message_get_error(m)->message ?: "" : "no bus");
            Map().ConnectFailed();
            return;
        }
        m_timers.Cancel(m_linkTimer);
        m_linkTimer = m_timers.After(kLinkWait, [this] {
            m_linkTimer = 0;
            if (Map().LinkedModem().empty()) {
                Trace("no hands-free modem came up for the phone");
                Map().ConnectFailed();
            }
        });
    });
}

void BluezPhones::Disconnect()
{
    m_timers.Cancel(m_linkTimer);
    m_linkTimer = 0;
    Trace("disconnect");
    Call(kBluez, Map().LinkedDevice(), kDeviceIface, "Disconnect", nullptr, [this](sd_bus_message*, bool ok) {
        if (!ok)
            Trace("disconnect refused");
    });
}

void BluezPhones::PairingWindow(bool open)
{
    if (open == m_pairing)
        return;
    m_pairing = open;
    Map().PairingWindow(open);
    Trace("pairing window %s", open ? "open" : "closed");
    if (open)
        SetAdapter("Pairable", true);
    SetAdapter("Discoverable", open);
}

void BluezPhones::RemovePairing(const BtAddress& address)
{
    auto device = Map().DevicePath(address);
    if (!device)
        return;
    Trace("remove %s", device->c_str());
    std::string path = *device;
    Call(kBluez, Map().AdapterPath(), kAdapterIface, "RemoveDevice",
        [path](sd_bus_message* m) { return sd_bus_message_append(m, "o", path.c_str()); },
        [this](sd_bus_message*, bool ok) {
            if (!ok)
                Trace("remove refused");
        });
    // The list the module answers next must not show it, whenever BlueZ gets round to it.
    m_devices.erase(path);
    Map().Forget(address);
}

void BluezPhones::Answer()
{
    Call(kOfono, Map().CurrentCall(), "org.ofono.VoiceCall", "Answer", nullptr, [this](sd_bus_message*, bool ok) {
        Trace("answer %s", ok ? "done" : "refused");
    });
}

void BluezPhones::Hangup()
{
    std::string call = Map().CurrentCall();
    auto done = [this](sd_bus_message*, bool ok) { Trace("hangup %s", ok ? "done" : "refused"); };
    if (call.empty())
        Call(kOfono, Map().LinkedModem(), "org.ofono.VoiceCallManager", "HangupAll", nullptr, done);
    else
        Call(kOfono, call, "org.ofono.VoiceCall", "Hangup", nullptr, done);
}

void BluezPhones::Dial(const std::string& number)
{
    Trace("dial %s", number.c_str());
    Call(kOfono, Map().LinkedModem(), "org.ofono.VoiceCallManager", "Dial",
        [number](sd_bus_message* m) { return sd_bus_message_append(m, "ss", number.c_str(), ""); },
        [this](sd_bus_message*, bool ok) {
            if (!ok) {
                Trace("dial refused");
                Map().DialFailed();
            }
        });
}

void BluezPhones::SendTone(char key)
{
    std::string tones(1, key);
    Call(kOfono, Map().LinkedModem(), "org.ofono.VoiceCallManager", "SendTones",
        [tones](sd_bus_message* m) { return sd_bus_message_append(m, "s", tones.c_str()); },
        [this, key](sd_bus_message*, bool ok) { Trace("tone %c %s", key, ok ? "sent" : "refused"); });
}

void BluezPhones::TransferAudio(bool toDevice)
{
    if (!toDevice || m_card.empty()) {
        // oFono has no request that hands the voice back to the phone; the phone's own button does.
        Trace("audio to the %s: not offered by oFono", toDevice ? "car" : "phone");
        return;
    }
    Call(kOfono, m_card, "org.ofono.HandsfreeAudioCard", "Connect", nullptr, [this](sd_bus_message*, bool ok) {
        Trace("audio to the car %s", ok ? "done" : "refused");
        if (ok)
            Map().AudioCard(true);
    });
}

void BluezPhones::SetSpeakerVolume(BYTE level)
{
    m_speaker = level;
    SendLevel("SpeakerVolume", handsfree::SpeakerPercent(level));
}

void BluezPhones::SetMicGain(BYTE gain)
{
    m_micGain = gain;
    SendLevel("MicrophoneVolume", handsfree::MicrophonePercent(gain));
}

void BluezPhones::SendLevel(const char* property, BYTE percent)
{
    if (Map().LinkedModem().empty())
        return;
    Call(kOfono, Map().LinkedModem(), "org.ofono.CallVolume", "SetProperty",
        [property, percent](sd_bus_message* m) { return sd_bus_message_append(m, "sv", property, "y", percent); },
        [this, property, percent](sd_bus_message*, bool ok) {
            Trace("%s %u%% %s", property, percent, ok ? "set" : "refused");
        });
}

// The application sets its levels at start, usually before a phone links: each new link gets them.
void BluezPhones::UpdateLevels()
{
    std::string modem = Map().LinkedModem();
    if (modem == m_levelsModem)
        return;
    m_levelsModem = modem;
    if (m_speaker)
        SendLevel("SpeakerVolume", handsfree::SpeakerPercent(*m_speaker));
    if (m_micGain)
        SendLevel("MicrophoneVolume", handsfree::MicrophonePercent(*m_micGain));
}
