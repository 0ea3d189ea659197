#pragma once

// oFono's network and hands-free properties of the linked phone, as the module's indicator and
// text events carry them: strength 0-100 as 0-5 bars, the registration status as service and
// roaming, the battery's 0-5 as it is, the operator's name, the voice assistant on or off.

#include "ModuleCore.h"

#include <string>

namespace handsfree {

// 0 stays 0 (no bars); 1-20 is one bar ... 81-100 five; above 100 is five.
BYTE SignalBars(unsigned strength);

class PhoneIndicatorMap {
public:
    explicit PhoneIndicatorMap(ModuleCore& core)
        : m_core(core)
    {
    }

    // org.ofono.NetworkRegistration: Strength, Name, Status.
    void Strength(unsigned strength);
    void OperatorName(const std::string& name);
    // "registered" is service at home, "roaming" service abroad, anything else no service.
    void Status(const std::string& status);
    // org.ofono.Handsfree: BatteryChargeLevel 0-5 (above 5 counts as 5).
    void Battery(unsigned level);
    // org.ofono.Handsfree: VoiceRecognition, the phone's assistant listening.
    void Assistant(bool on);
    // org.ofono.Handsfree: InbandRinging, the phone's own ring sent over the call's audio.
    void InbandRinging(bool inband);

private:
    ModuleCore& m_core;
};

}
