#pragma once

// The pairing agent BlueZ asks when a phone pairs: it says yes only while the module's pairing
// window is open, so no phone pairs behind the driver's back.

class SystemBus;
struct sd_bus_message;

class PairingAgent {
public:
    explicit PairingAgent(SystemBus& bus)
        : m_bus(bus)
    {
    }

    // Once the bus is open: puts the agent's object on it; a negative errno when that fails.
    int Subscribe();
    // Offers the agent to BlueZ, as its default one.
    void Register();
    bool Pairing() const { return m_pairing; }
    void SetPairing(bool open) { m_pairing = open; }

    // A request from BlueZ (public for the C callback).
    int OnAgent(sd_bus_message* m);

private:
    SystemBus& m_bus;
    bool m_pairing = false;
};
