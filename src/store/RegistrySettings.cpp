#include "store/RegistrySettings.h"

#include "platform/devices/Registry.h"

#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

constexpr std::u16string_view kMicGainKey = u"SOFTWARE\\Quorva\\Ostrilan";
constexpr std::u16string_view kMicGainValue = u"MicGain";
// The same key as above to the registry, which ignores case; the two spellings are kept as given.
constexpr std::u16string_view kRunKey = u"SOFTWARE\\Quorva\\OSTRILAN";
constexpr std::u16string_view kRunValue = u"RUN";
constexpr std::u16string_view kSpeakCallerValue = u"SpeakCaller";
constexpr std::u16string_view kSkinValue = u"Skin";

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

// The value when the key holds a REG_DWORD-sized one under that name.
std::optional<DWORD> GetDword(std::u16string_view keyName, std::u16string_view valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG result = RegQueryValueExW(key, valueName, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || size != sizeof value)
        return std::nullopt;
    return value;
}

}

bool WriteMicGain(DWORD gain)
{
    return SetDword(kMicGainKey, kMicGainValue, gain);
}

DWORD ReadMicGain()
{
    return GetDword(kMicGainKey, kMicGainValue).value_or(kNoMicGain);
}

bool ReadSpeakCaller()
{
    if (const char* setting = std::getenv("OSTRILAN_SPEAK_CALLER")) {
        if (std::strcmp(setting, "on") == 0)
            return true;
        if (std::strcmp(setting, "off") == 0)
            return false;
    }
    return GetDword(kMicGainKey, kSpeakCallerValue).value_or(1) != 0;
}

WString ReadSkinName()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMicGainKey, &key) != ERROR_SUCCESS)
        return {};
    // A skin's name is a folder's, short; a longer value is not one.
    char16_t name[64] = {};
    DWORD type = 0;
    DWORD size = sizeof name;
    LONG result = RegQueryValueExW(key, kSkinValue, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ || size < sizeof(char16_t))
        return {};
    return WString(name, size / sizeof(char16_t) - 1);
}

void WriteRunFlag(DWORD running)
{
    SetDword(kRunKey, kRunValue, running);
    RegFlushKey(HKEY_LOCAL_MACHINE);
}
