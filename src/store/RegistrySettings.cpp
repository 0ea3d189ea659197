#include "store/RegistrySettings.h"

#include "platform/devices/Registry.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::u16string_view kMicGainKey = u"SOFTWARE\\Quorva\\Ostrilan";
constexpr std::u16string_view kMicGainValue = u"MicGain";
// The same key as above to the registry, which ignores case; the two spellings are kept as given.
constexpr std::u16string_view kRunKey = u"SOFTWARE\\Quorva\\OSTRILAN";
constexpr std::u16string_view kRunValue = u"RUN";
constexpr std::u16string_view kSpeakCallerValue = u"SpeakCaller";

bool SetDword(std::u16string_view keyName, std::u16string_view valueName, DWORD value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName, &key) != ERROR_SUCCESS)
        return false;
    bool set = RegSetValueExW(key, valueName, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value)
        == ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
}

}

bool WriteMicGain(DWORD gain)
{
    return SetDword(kMicGainKey, kMicGainValue, gain);
}

DWORD ReadMicGain()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMicGainKey, &key) != ERROR_SUCCESS)
        return kNoMicGain;
    DWORD gain = 0;
    DWORD size = sizeof gain;
    LONG result = RegQueryValueExW(key, kMicGainValue, nullptr, reinterpret_cast<BYTE*>(&gain), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && size == sizeof gain ? gain : kNoMicGain;
}

bool ReadSpeakCaller()
{
    if (const char* setting = std::getenv("OSTRILAN_SPEAK_CALLER")) {
        if (std::strcmp(setting, "on") == 0)
            return true;
        if (std::strcmp(setting, "off") == 0)
            return false;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMicGainKey, &key) != ERROR_SUCCESS)
        return true;
    DWORD speak = 1;
    DWORD size = sizeof speak;
    LONG result = RegQueryValueExW(key, kSpeakCallerValue, nullptr, reinterpret_cast<BYTE*>(&speak), &size);
    RegCloseKey(key);
    return result != ERROR_SUCCESS || size != sizeof speak || speak != 0;
}

void WriteRunFlag(DWORD running)
{
    SetDword(kRunKey, kRunValue, running);
    RegFlushKey(HKEY_LOCAL_MACHINE);
}
