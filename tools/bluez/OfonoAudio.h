#pragma once

// The voice's way into the car: oFono's hands-free audio cards (one per phone that offers one) and
// the speaker and microphone levels of the linked phone.

#include "HandsFreeMap.h"

#include <map>
#include <optional>
#include <string>

class BluezDevices;
class SystemBus;
struct BusProps;
struct sd_bus_message;

class OfonoAudio {
public:
    OfonoAudio(SystemBus& bus, HandsFreeMap& map, const BluezDevices& devices);

    // Once the bus is open: the signals that say what changed.
    void Subscribe();
    void Load();
    // Forgets what ofonod said of the cards.
    void Clear();
    // After any change of the linked phone, its modem or the cards: finds the linked phone's card
    // and gives a newly linked modem the levels.
    void UpdateCard();

    void TransferAudio(bool toDevice);
    void SetSpeakerVolume(BYTE level);
    void SetMicGain(BYTE gain);

    // A signal of oFono's audio manager (public for the C callback).
    void OnSignal(sd_bus_message* m);

private:
    void Apply(const std::string& path, const BusProps& props);
    void UpdateLevels();
    void SendLevel(const char* property, BYTE percent);

    SystemBus& m_bus;
    HandsFreeMap& m_map;
    const BluezDevices& m_devices;
    std::optional<BYTE> m_speaker, m_micGain; // the levels last asked for
    std::string m_levelsModem; // the modem that has them
    std::map<std::string, std::string> m_cards; // audio card to its phone's address
    std::string m_card; // the linked phone's audio card
};
