#pragma once

// The two settings kept in the registry under HKEY_LOCAL_MACHINE: the microphone gain the module
// last reported, and the flag that is 1 exactly while the main frame window exists.

#include "platform/core/Types.h"

// What ReadMicGain answers when no gain is stored.
constexpr DWORD kNoMicGain = 99;

[[nodiscard]] bool WriteMicGain(DWORD gain);
DWORD ReadMicGain();
void WriteRunFlag(DWORD running);
