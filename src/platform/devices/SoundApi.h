#pragma once

// The device's sound functions, for wave device 0 (no device handle), over AudioSystem::Current().

#include "platform/devices/AudioSystem.h"

struct HWAVEOUT__;
using HWAVEOUT = HWAVEOUT__*;
struct HINSTANCE__;
using HMODULE = HINSTANCE__*;

constexpr DWORD SND_SYNC = 0x0000;
constexpr DWORD SND_ASYNC = 0x0001;
constexpr DWORD SND_NODEFAULT = 0x0002;
constexpr DWORD SND_LOOP = 0x0008;
constexpr DWORD SND_FILENAME = 0x00020000;

// A file name (SND_FILENAME) starts that sound in place of any other; no name stops every sound
// of the application. Device paths ("\FileBox\...") resolve under the device root. False when the
// sound cannot be played or the request is refused.
bool PlaySoundW(const WCHAR* sound, HMODULE module, DWORD flags);
MMRESULT waveOutGetVolume(HWAVEOUT device, DWORD* volume);
MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume);
MMRESULT waveOutMessage(HWAVEOUT device, UINT message, DWORD_PTR first, DWORD_PTR second);
