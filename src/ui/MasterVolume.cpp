#include "ui/MasterVolume.h"

#include "platform/devices/SoundApi.h"

namespace {

// Lowest left-channel value of levels 1 to 5 is one above each of these.
constexpr WORD kLevelFloors[kVolumeLevelMax] = { 0x2AAA, 0x7777, 0xB332, 0xDDDD, 0xF776 };
constexpr DWORD kVolumeChangeBegin = 1;
constexpr DWORD kVolumeChangeEnd = 0;

void DriverSwitch(DWORD request, DWORD_PTR second = 0)
{
    waveOutMessage(nullptr, AudioDriver::kMsgSwitch, request, second);
}

}

int VolumeLevelOf(WORD left)
{
    int level = 0;
    while (level < kVolumeLevelMax && left > kLevelFloors[level])
        ++level;
    return level;
}

int GetVolumeLevel()
{
    DWORD volume = 0;
    if (waveOutGetVolume(nullptr, &volume) != MMSYSERR_NOERROR)
        return kVolumeUnreadable;
    return VolumeLevelOf(LOWORD(volume));
}

void SetVolumeLevel(int level)
{
    if (IsMuted())
        SetMute(false);
    if (level < 0 || level > kVolumeLevelMax)
        return;
    DriverSwitch(AudioDriver::kVolumeChange, kVolumeChangeBegin);
    waveOutSetVolume(nullptr, kVolumeWords[level]);
    DriverSwitch(AudioDriver::kVolumeChange, kVolumeChangeEnd);
}

void VolumeUp()
{
    int level = GetVolumeLevel();
    if (level < kVolumeLevelMax)
        SetVolumeLevel(level + 1);
}

void VolumeDown()
{
    int level = GetVolumeLevel();
    if (level > 0)
        SetVolumeLevel(level - 1);
}

void SetMute(bool on) { DriverSwitch(on ? AudioDriver::kMute : AudioDriver::kUnmute); }

bool IsMuted()
{
    DWORD answer = 0;
    DriverSwitch(AudioDriver::kQueryMute, reinterpret_cast<DWORD_PTR>(&answer));
    // Only the driver's explicit "sounding" answer counts as not muted.
    return answer != AudioDriver::kAnswerSounding;
}
