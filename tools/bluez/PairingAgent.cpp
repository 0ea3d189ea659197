#include "PairingAgent.h"
#include "SystemBus.h"

#include <cstdint>
#include <string>
#include <systemd/sd-bus.h>

namespace {

constexpr const char* kAgentPath = "/org/ostrilan/agent";
constexpr const char* kAgentIface = "org.bluez.Agent1";
constexpr const char* kRejected = "org.bluez.Error.Rejected";

int OnAgentCall(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return static_cast<PairingAgent*>(userdata)->OnAgent(m);
}

}

int PairingAgent::Subscribe()
{
    return sd_bus_add_object(m_bus.Raw(), nullptr, kAgentPath, OnAgentCall, this);
}

void PairingAgent::Register()
{
    m_bus.Call(busname::kBluez, "/org/bluez", "org.bluez.AgentManager1", "RegisterAgent",
        [](sd_bus_message* m) { return sd_bus_message_append(m, "os", kAgentPath, "DisplayYesNo"); },
        [this](sd_bus_message*, bool ok) {
            m_bus.Trace("pairing agent %s", ok ? "registered" : "not registered");
            if (ok) {
                m_bus.Call(busname::kBluez, "/org/bluez", "org.bluez.AgentManager1", "RequestDefaultAgent",
                    [](sd_bus_message* m) { return sd_bus_message_append(m, "o", kAgentPath); },
                    [](sd_bus_message*, bool) { });
            }
        });
}

int PairingAgent::OnAgent(sd_bus_message* m)
{
    if (!sd_bus_message_is_method_call(m, kAgentIface, nullptr))
        return 0;
    std::string member = sd_bus_message_get_member(m) ?: "";
    const char* device = nullptr;
    uint32_t passkey = 0;
    if (member == "RequestConfirmation" && sd_bus_message_read(m, "ou", &device, &passkey) >= 0) {
        m_bus.Trace("pairing %s: passkey %06u %s", device, passkey, m_pairing ? "confirmed" : "refused");
    } else if (member == "DisplayPasskey" && sd_bus_message_read(m, "ou", &device, &passkey) >= 0) {
        m_bus.Trace("pairing %s: passkey %06u", device, passkey);
        return sd_bus_reply_method_return(m, nullptr);
    } else if (member == "DisplayPinCode") {
        const char* pin = nullptr;
        if (sd_bus_message_read(m, "os", &device, &pin) >= 0)
            m_bus.Trace("pairing %s: PIN %s", device, pin);
        return sd_bus_reply_method_return(m, nullptr);
    } else if (member == "RequestPinCode" || member == "RequestPasskey") {
        if (!m_pairing)
            return sd_bus_reply_method_errorf(m, kRejected, "not pairing");
        m_bus.Trace("pairing: PIN 0000 offered");
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
