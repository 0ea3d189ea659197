#pragma once

// The short interface sounds, chosen by kind.

constexpr int kUiSoundClick = 0;
constexpr int kUiSoundTouch = 1;
constexpr int kUiSoundStartup = 2;
constexpr int kUiSoundVolume = 3;
constexpr int kUiSoundWarning = 9;

// Starts the kind's sound in place of any other and returns at once. Unknown kinds play nothing;
// a missing or unplayable file is not reported.
void PlayUiSound(int kind);
