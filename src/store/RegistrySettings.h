#pragma once

// The settings kept in the registry under HKEY_LOCAL_MACHINE: the microphone gain the module
// last reported, the flag that is 1 exactly while the main frame window exists, whether a
// ringing caller's name is said, and the skin.

#include "platform/core/Types.h"

// What ReadMicGain answers when no gain is stored.
constexpr DWORD kNoMicGain = 99;

[[nodiscard]] bool WriteMicGain(DWORD gain);
DWORD ReadMicGain();
void WriteRunFlag(DWORD running);
// "SpeakCaller" beside the gain: 0 says no caller's name, anything else or no value does.
// OSTRILAN_SPEAK_CALLER=on|off overrides it for one run.
bool ReadSpeakCaller();
// "Skin" beside the gain, a string naming the skin to show; empty when there is none (or it is
// not a string).
WString ReadSkinName();
