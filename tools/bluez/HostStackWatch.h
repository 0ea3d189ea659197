#pragma once

// What stands between this machine and a hands-free link, from the facts the bus side gathers,
// told to the module model (and so to the application) whenever it changes. The first problem
// found is the one named: without a bus nothing else can be known, without bluetoothd no adapter,
// and so on down to oFono's hands-free profile. Knows no D-Bus, so it is tested without a bus.

#include "ModuleCore.h"

#include <functional>
#include <optional>
#include <string>

struct HostFacts {
    bool bus = false;
    bool bluez = false; // org.bluez has an owner
    bool adapter = false; // the adapter the bridge uses is there
    bool blocked = false; // by rfkill, soft or hard
    bool powered = false;
    bool ofono = false; // org.ofono has an owner
    bool handsFree = false; // the adapter offers the hands-free unit (oFono registered its profile)
};

class HostStackWatch {
public:
    HostStackWatch(ModuleCore& core, std::function<void(const std::string&)> trace);

    static bridge::HostStack Classify(const HostFacts& facts);
    // Reports the state when it differs from the last one reported.
    void Update(const HostFacts& facts);
    std::optional<bridge::HostStack> Last() const { return m_last; }

private:
    ModuleCore& m_core;
    std::function<void(const std::string&)> m_trace;
    std::optional<bridge::HostStack> m_last;
};
