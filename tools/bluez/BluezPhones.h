#pragma once

// The phones of a Linux machine, from BlueZ (adapter, devices, pairing agent) and oFono (hands-free
// modems, calls, volumes, audio cards) on the system bus. Every bus call is asynchronous with a
// time limit, so the module's side never waits on a daemon; a daemon that is missing, stops or
// restarts is followed through its bus name and reported to the module as a state.

#include "HandsFreeMap.h"
#include "PhoneBackend.h"
#include "TimerQueue.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

struct BusProps;
struct sd_bus;
struct sd_bus_message;

class BluezPhones : public PhoneBackend {
public:
    BluezPhones(TimerQueue& timers, FILE* trace);
    ~BluezPhones() override;
    BluezPhones(const BluezPhones&) = delete;
    BluezPhones& operator=(const BluezPhones&) = delete;

    void Attach(HandsFreeMap& map) { m_map = &map; }
    // Connects to the system bus (DBUS_SYSTEM_BUS_ADDRESS is honoured); tries again later when
    // there is none yet.
    void Start();
    // For the caller's poll(): the descriptor (-1 while not connected), its events and how long
    // the bus may wait (-1: no limit).
    int Fd() const;
    short Events() const;
    int WaitMs() const;
    // Handles whatever the bus has, without blocking.
    void Process();

    std::vector<PairedPhone> PairedPhones() const override;
    void Connect(const BtAddress& address) override;
    void Disconnect() override;
    void PairingWindow(bool open) override;
    void RemovePairing(const BtAddress& address) override;
    void Answer() override;
    void Hangup() override;
    void Dial(const std::string& number) override;
    void SendTone(char key) override;
    void TransferAudio(bool toDevice) override;
    void SetSpeakerVolume(BYTE level) override;
    void SetMicGain(BYTE gain) override;

    using Reply = std::function<void(sd_bus_message* reply, bool ok)>;
    using Args = std::function<int(sd_bus_message* call)>;
    void Call(const char* service, const std::string& path, const char* interface, const char* member,
        const Args& args, Reply reply);
    void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Handlers of signals, agent requests and answers (public for the C callbacks).
    void OnNameOwner(const std::string& name, bool present);
    void OnInterfacesAdded(sd_bus_message* m);
    void OnInterfacesRemoved(sd_bus_message* m);
    void OnPropertiesChanged(sd_bus_message* m);
    void OnOfonoSignal(sd_bus_message* m);
    int OnAgent(sd_bus_message* m);

private:
    void Disconnected();
    void RetryIfPresent(sd_bus_message* reply, unsigned long& timer, std::function<void()> again);
    void LoadBluez();
    void LoadOfono();
    void SetAdapter(const char* property, bool value);
    struct AdapterFacts {
        bool powered = false;
        std::string address;
    };
    void ReadObject(sd_bus_message* m, const std::string& path);
    void ApplyBluez(const std::string& path, const std::string& iface, const BusProps& props);
    void ApplyModem(const std::string& path, const BusProps& props);
    void ApplyCall(const std::string& path, const BusProps& props);
    void ApplyCard(const std::string& path, const BusProps& props);
    void UpdateCard();
    void UpdateLevels();
    void SendLevel(const char* property, BYTE percent);
    void ModemProperties(const std::string& path, sd_bus_message* m);
    void LoadCalls(const std::string& modem);
    void LoadCards();
    void CallProperties(const std::string& path, sd_bus_message* m);
    void RegisterAgent();
    HandsFreeMap& Map() { return *m_map; }

    TimerQueue& m_timers;
    FILE* m_trace;
    HandsFreeMap* m_map = nullptr;
    sd_bus* m_bus = nullptr;
    bool m_pairing = false;
    bool m_busMissing = false;
    std::optional<BYTE> m_speaker, m_micGain; // the levels last asked for
    std::string m_levelsModem; // the modem that has them
    std::map<std::string, ModemFacts> m_modems; // what the modems said so far
    std::map<std::string, std::pair<std::string, std::string>> m_callFacts; // state, number
    std::map<std::string, AdapterFacts> m_adapters;
    std::map<std::string, DeviceFacts> m_devices; // what the devices said so far
    std::map<std::string, std::string> m_cards; // audio card to its phone's address
    std::string m_card; // the linked phone's audio card
    unsigned long m_retryTimer = 0;
    unsigned long m_linkTimer = 0; // a Connect waiting for its modem
    unsigned long m_bluezRetry = 0, m_ofonoRetry = 0;
};
