#include "ui/AudioDriverRequests.h"

#include "platform/devices/SoundApi.h"

void SetBtAudio(bool on)
{
    waveOutMessage(nullptr, AudioDriver::kMsgBtAudio, on ? AudioDriver::kBtAudioOn : AudioDriver::kBtAudioOff, 0);
}

void SetCallSpeaker(bool on)
{
    waveOutMessage(nullptr, AudioDriver::kMsgSwitch, on ? AudioDriver::kSpeakerOn : AudioDriver::kSpeakerOff, 0);
}

void SetCallMic(bool on)
{
    waveOutMessage(nullptr, AudioDriver::kMsgSwitch, on ? AudioDriver::kMicOn : AudioDriver::kMicOff, 0);
}

bool IsCallMicOn()
{
    DWORD answer = 0;
    waveOutMessage(nullptr, AudioDriver::kMsgSwitch, AudioDriver::kQueryMic, reinterpret_cast<DWORD_PTR>(&answer));
    return answer == AudioDriver::kAnswerMicOn;
}

void SetCallAudio(bool on)
{
    // The device switched the microphone before the speaker when a call's audio came, and the
    // speaker first when it went.
    if (on) {
        SetCallMic(true);
        SetCallSpeaker(true);
    } else {
        SetCallSpeaker(false);
        SetCallMic(false);
    }
}

void RouteAudio(AudioRoute route)
{
    DWORD value = route == AudioRoute::Phone ? AudioDriver::kRoutePhone : AudioDriver::kRouteNormal;
    waveOutMessage(nullptr, AudioDriver::kMsgRouteFirst, value, 0);
    waveOutMessage(nullptr, AudioDriver::kMsgRouteSecond, value, 0);
}
