#pragma once

// The device's registry under HKEY_LOCAL_MACHINE, kept in <device root>/registry/
// HKEY_LOCAL_MACHINE.reg (see RegistryFile for the format). The operations keep the shape and the
// result codes of the device's calls. Every operation reads the file anew, so programs sharing a
// device root see each other's writes; every change is a locked read-modify-write of the whole
// file through an atomic save, so it is durable when the call returns and two writers never lose
// each other's updates. Each value written goes to the trace as "reg <key>\<value>=dword:<hex>".

#include "platform/core/Types.h"
#include "platform/devices/RegistryFile.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct HKEY__;
using HKEY = HKEY__*;

inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t(0x80000002));

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_WRITE_FAULT = 29;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegCreateKeyExW(HKEY key, std::u16string_view subKey, HKEY* result, DWORD* disposition = nullptr);
LONG RegOpenKeyExW(HKEY key, std::u16string_view subKey, HKEY* result);
// Only REG_DWORD values of 4 bytes are kept; REG_SZ values are only read (set by hand or by a
// package), as UTF-16 with the terminating zero.
LONG RegSetValueExW(HKEY key, std::u16string_view name, DWORD type, const BYTE* data, DWORD size);
LONG RegQueryValueExW(HKEY key, std::u16string_view name, DWORD* type, BYTE* data, DWORD* size);
LONG RegCloseKey(HKEY key);
// Every change is already on disk when its call returns; this only checks the handle.
LONG RegFlushKey(HKEY key);

// The file behind the calls above.
class Registry {
public:
    static std::filesystem::path FilePath();
    // The file as it is now: an empty registry when there is none, nothing when it cannot be read.
    static std::optional<RegistryFile> Read();
    // Applies the change to the current file and saves it, holding the writers' lock throughout.
    static bool Update(const std::function<void(RegistryFile&)>& change);
    // The full key path ("HKEY_LOCAL_MACHINE\SOFTWARE\...") an open handle names.
    static std::optional<std::string> KeyPath(HKEY key);
};
