// The simulator's console commands for what only the bridge reports of the linked phone.

#include "ModuleSim.h"

namespace {

using bridge::IndicatorKind;

std::optional<BYTE> OnOff(const std::string& word)
{
    if (word == "on")
        return 1;
    if (word == "off")
        return 0;
    return std::nullopt;
}

std::optional<BYTE> Level(const std::string& word)
{
    if (word.size() != 1 || word[0] < '0' || word[0] > '0' + bridge::kPhoneLevelMax)
        return std::nullopt;
    return BYTE(word[0] - '0');
}

}

std::string ModuleSim::PlayPhoneFact(const std::vector<std::string>& w)
{
    const std::string& cmd = w[0];
    if (!m_core.LinkedPhone())
        return "error no phone linked";
    if (cmd == "operator") {
        if (w.size() < 2)
            return "error operator NAME";
        std::string name = w[1];
        for (size_t i = 2; i < w.size(); ++i)
            name += " " + w[i];
        m_core.OperatorName(name);
        return "ok operator " + m_core.OperatorNameValue();
    }
    std::string word = w.size() > 1 ? w[1] : std::string();
    bool onOff = cmd == "roaming" || cmd == "service";
    std::optional<BYTE> value = onOff ? OnOff(word) : Level(word);
    if (!value || w.size() != 2)
        return "error " + cmd + (onOff ? " on|off" : " N (0..5)");
    IndicatorKind kind = cmd == "signal" ? IndicatorKind::Signal
        : cmd == "battery"               ? IndicatorKind::Battery
        : cmd == "roaming"               ? IndicatorKind::Roaming
                                         : IndicatorKind::Service;
    if (!m_core.PhoneIndicator(kind, *value))
        return "error " + cmd + " refused";
    return "ok " + cmd + " " + word;
}
