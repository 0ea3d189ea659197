#pragma once

// The device's master volume in six levels, 0 to 5, and its mute switch. Each level is one volume
// word (left channel in the low 16 bits, right in the high 16, both the same); reading maps the
// left channel back by thresholds that lie between the levels' words.

#include "platform/core/Types.h"

constexpr int kVolumeLevelMax = 5;
constexpr int kVolumeUnreadable = -1;

constexpr DWORD kVolumeWords[kVolumeLevelMax + 1] = {
    0x00000000, 0x55555555, 0x99999999, 0xCCCCCCCC, 0xEEEEEEEE, 0xFFFFFFFF,
};

// The level a left-channel value reads as.
int VolumeLevelOf(WORD left);

// The current level, or kVolumeUnreadable.
int GetVolumeLevel();
// Unmutes first when muted (even for a level out of range); then writes the level's word inside
// the driver's volume change bracket. Levels outside 0..5 write nothing.
void SetVolumeLevel(int level);
// One level up (an unreadable volume becomes level 0) or down; nothing at the ends.
void VolumeUp();
void VolumeDown();
void SetMute(bool on);
bool IsMuted();
