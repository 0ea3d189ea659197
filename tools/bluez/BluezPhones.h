#pragma once

// The phones of a Linux machine, from BlueZ (adapter, devices, pairing agent) and oFono (hands-free
// modems, calls, volumes, audio cards) on the system bus, behind the module's commands. A daemon
// that is missing, stops or restarts is followed through its bus name and reported to the module
// as a state; each daemon's side is a part of its own, this class ties them to the bus.

#include "BluezDevices.h"
#include "HandsFreeMap.h"
#include "OfonoAudio.h"
#include "OfonoModems.h"
#include "OfonoPhoneFacts.h"
#include "PairingAgent.h"
#include "PhoneBackend.h"
#include "SystemBus.h"
#include "TimerQueue.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

class HostStackWatch;

class BluezPhones : public PhoneBackend {
public:
    BluezPhones(TimerQueue& timers, FILE* trace);
    ~BluezPhones() override;
    BluezPhones(const BluezPhones&) = delete;
    BluezPhones& operator=(const BluezPhones&) = delete;

    // Before Start: the parts need the map from their first signal on.
    void Attach(HandsFreeMap& map);
    // Connects to the system bus (DBUS_SYSTEM_BUS_ADDRESS is honoured); tries again later when
    // there is none yet.
    void Start();
    int Fd() const { return m_bus.Fd(); }
    short Events() const { return m_bus.Events(); }
    int WaitMs() const { return m_bus.WaitMs(); }
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
    void BridgeAction(bridge::Action action) override;

    // bluetoothd or ofonod appeared or vanished (public for the C callback).
    void OnNameOwner(const std::string& name, bool present);

    // Before Start: the host stack's state goes to `watch`; rfkill switches are read in `rfkill`.
    void WatchHostStack(HostStackWatch& watch, std::filesystem::path rfkill);
    // The list asked for, as Connect and Pairing do when they open: an adapter that is off (and
    // not blocked) is switched on, so a serial module's command set needs nothing new.
    void PowerOnIfOff();
    void TraceLine(const std::string& line);

private:
    void Disconnected();
    // Whether bluetoothd and ofonod are there when the bus opens; their changes come as signals.
    void AskOwners();
    void ReportHostStack();

    TimerQueue& m_timers;
    SystemBus m_bus;
    HandsFreeMap* m_map = nullptr;
    std::unique_ptr<PairingAgent> m_agent;
    std::unique_ptr<BluezDevices> m_devices;
    std::unique_ptr<OfonoAudio> m_audio;
    std::unique_ptr<OfonoModems> m_modems;
    std::unique_ptr<OfonoPhoneFacts> m_facts;
    bool m_busMissing = false;
    unsigned long m_retryTimer = 0;
    unsigned long m_linkTimer = 0; // a Connect waiting for its modem
    HostStackWatch* m_host = nullptr;
    std::filesystem::path m_rfkill;
    bool m_bluezOwned = false;
    bool m_ofonoOwned = false;
    int m_ownersAnswered = 0;
};
