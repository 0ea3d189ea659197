#pragma once

// What BlueZ and oFono publish, turned into what the module reports. The bus side (BluezPhones and
// its parts) parses signals and answers into the facts below; this class keeps the phones, modems
// and calls they describe and tells the shared module model what changed. It knows no D-Bus, so the
// whole mapping (docs/bluetooth.md) is tested without a bus.

#include "ModuleCore.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace handsfree {

// The hands-free audio gateway: a phone that can be our hands-free's phone.
inline constexpr std::string_view kGatewayUuid = "0000111f-0000-1000-8000-00805f9b34fb";

// "00:1A:7D:DA:71:01" (either case) to its six bytes.
std::optional<BtAddress> ParseAddress(std::string_view text);
std::string AddressText(const BtAddress& address);
// oFono names a phone's hands-free modem after the BlueZ device: "/hfp" + device path.
std::string ModemPathOf(const std::string& devicePath);
// Module levels to oFono's percentages: speaker 0-14, microphone gain 0-15.
BYTE SpeakerPercent(BYTE level);
BYTE MicrophonePercent(BYTE gain);

enum class CallPhase { Ringing, Outgoing, Active, Gone };
// oFono's VoiceCall "State"; anything unknown counts as gone.
CallPhase PhaseOf(std::string_view state);

}

struct DeviceFacts {
    std::string address;
    std::string name;
    std::string adapter; // object path
    bool paired = false;
    bool gatewayKnown = false; // UUIDs are known
    bool gateway = false;
};

struct ModemFacts {
    std::string type;
    bool online = false;
};

class HandsFreeMap {
public:
    HandsFreeMap(ModuleCore& core, std::string adapterName);

    // BlueZ. An absent adapter and one that is off both make the module "not ready".
    void Adapter(const std::string& path, bool present, bool powered, const std::string& address);
    void Device(const std::string& path, const DeviceFacts& facts);
    void DeviceGone(const std::string& path);
    void BluezGone();
    // Everything BlueZ had at the start is in: phones that pair from now on are the newest.
    void BluezLoaded() { m_loaded = true; }
    // oFono.
    void Modem(const std::string& path, const ModemFacts& facts);
    void ModemGone(const std::string& path);
    void Call(const std::string& path, const std::string& state, const std::string& number);
    void CallGone(const std::string& path);
    void OfonoGone();
    // The audio card of the linked phone carries the voice to the car.
    void AudioCard(bool connected);
    void PairingWindow(bool open);

    // For the bus side.
    std::vector<PairedPhone> PairedPhones() const;
    std::string AdapterPath() const { return m_adapterPath; }
    std::optional<std::string> DevicePath(const BtAddress& address) const;
    std::string LinkedModem() const { return m_linkedModem; }
    ModuleCore& Core() { return m_core; }
    std::string LinkedDevice() const;
    // The call the module's commands act on: the ringing one, else the first.
    std::string CurrentCall() const;
    // The calls the module's EndCall ends: with a call in progress the active one, or every call
    // of a conference; else the current call. Empty when none is known. A conference asked to
    // end is no longer reported call by call as its calls go.
    std::vector<std::string> CallsToEnd();
    // The call ringing behind the one in progress; empty when none waits.
    std::string WaitingCall() const;
    bool Ringing() const;
    void Forget(const BtAddress& address);
    // A Connect that BlueZ refused or that brought no hands-free modem up in time.
    void ConnectFailed();
    // A Dial that oFono refused: the module tells of a call that ended at once.
    void DialFailed();

    // After the module reported a phone linked: its address as BlueZ writes it, and its bytes.
    std::function<void(const std::string& address, const BtAddress& bytes)> onLinked;

private:
    bool OwnDevice(const DeviceFacts& d) const;
    bool Listed(const DeviceFacts& d) const;
    void UpdateReady();
    void UpdateLink();
    void UpdateCall();
    // Beside the first call (the one the main state follows), a second one: waiting, one of the
    // two held, merged, or left alone when the first ended.
    void UpdateSecondCall();

    ModuleCore& m_core;
    std::string m_adapterName; // "hci0", or empty for the first one
    std::string m_adapterPath;
    bool m_powered = false;
    std::map<std::string, DeviceFacts> m_devices;
    std::map<std::string, long> m_pairedOrder; // device path to when it paired
    long m_pairedSeq = 0;
    std::map<std::string, ModemFacts> m_modems;
    std::string m_linkedModem;
    struct CallFacts {
        std::string state;
        std::string number;
    };
    std::map<std::string, CallFacts> m_calls;
    std::string m_firstCall;
    bool m_conferenceEnding = false;
    bool m_audioCard = false;
    bool m_pairing = false;
    bool m_loaded = false;
};
