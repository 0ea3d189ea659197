#pragma once

// The requests that switch the device's audio driver between normal playback and the Bluetooth
// call audio. Results are not checked, except for the microphone query.

enum class AudioRoute { Normal, Phone };

// Sets the audio hardware up for the Bluetooth module (once at start; off at exit).
void SetBtAudio(bool on);
// The call's received audio through the device's speaker.
void SetCallSpeaker(bool on);
// The microphone connected to the call; off is the in-call mute.
void SetCallMic(bool on);
bool IsCallMicOn();
// The phone's voice through the speaker and the microphone to the phone, or both off again.
void SetCallAudio(bool on);
// The device's audio output to the phone call, or back to its normal path.
void RouteAudio(AudioRoute route);
