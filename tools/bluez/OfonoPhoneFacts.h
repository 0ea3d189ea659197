#pragma once

// What oFono knows of the linked phone beyond its calls: the network (signal, operator, roaming)
// and the phone's battery, read when its hands-free modem comes up and followed through
// PropertyChanged; and the bridge's actions on the calls and the assistant.

#include "PhoneIndicatorMap.h"

#include <string>

class HandsFreeMap;
class SystemBus;
struct BusProps;
struct sd_bus_message;

class OfonoPhoneFacts {
public:
    OfonoPhoneFacts(SystemBus& bus, HandsFreeMap& map, ModuleCore& core);

    void Subscribe();
    // A hands-free modem came up: its network and battery are read whole.
    void Load(const std::string& modem);
    void Act(bridge::Action action);

    // A PropertyChanged of NetworkRegistration or Handsfree (public for the C callback).
    void OnSignal(sd_bus_message* m);

private:
    void Apply(const std::string& modem, const std::string& iface, const BusProps& props);

    SystemBus& m_bus;
    HandsFreeMap& m_map;
    handsfree::PhoneIndicatorMap m_indicators;
};
