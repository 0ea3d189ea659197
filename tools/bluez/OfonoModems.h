#pragma once

// oFono's hands-free modems (one per linked phone) and their calls: read whole when ofonod
// appears, then followed through its signals; and the call requests the module makes of them.

#include "HandsFreeMap.h"

#include <functional>
#include <map>
#include <string>
#include <utility>

class OfonoAudio;
class SystemBus;
struct BusProps;
struct sd_bus_message;

class OfonoModems {
public:
    OfonoModems(SystemBus& bus, HandsFreeMap& map, OfonoAudio& audio);
    ~OfonoModems();
    OfonoModems(const OfonoModems&) = delete;
    OfonoModems& operator=(const OfonoModems&) = delete;

    // Once the bus is open: the signals that say what changed.
    void Subscribe();
    // The modems, then the audio cards.
    void Load();
    // Forgets what ofonod said (the bus is gone).
    void Clear();
    // ofonod appeared or vanished: nothing it said before holds.
    void Restart(bool present);

    void Answer();
    void Hangup();
    void Dial(const std::string& number);
    void SendTone(char key);

    // A hands-free modem came online, with its path.
    std::function<void(const std::string&)> onModemUp;

    // A signal of oFono's manager, modems or calls (public for the C callback).
    void OnSignal(sd_bus_message* m);

private:
    void ModemProperties(const std::string& path, sd_bus_message* m);
    void ApplyModem(const std::string& path, const BusProps& props);
    void LoadCalls(const std::string& modem);
    void CallProperties(const std::string& path, sd_bus_message* m);
    void ApplyCall(const std::string& path, const BusProps& props);

    SystemBus& m_bus;
    HandsFreeMap& m_map;
    OfonoAudio& m_audio;
    std::map<std::string, ModemFacts> m_modems; // what the modems said so far
    std::map<std::string, std::pair<std::string, std::string>> m_callFacts; // state, number
    unsigned long m_retry = 0;
};
