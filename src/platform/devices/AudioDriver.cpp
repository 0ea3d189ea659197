#include "platform/devices/AudioDriver.h"

#include "platform/devices/SoundPlayer.h"
#include "platform/tooling/Trace.h"

#include <cinttypes>

AudioDriver::AudioDriver(SoundPlayer& player)
    : m_player(player)
{
}

bool AudioDriver::Muted() const { return m_player.Muted(); }

MMRESULT AudioDriver::Message(UINT message, DWORD_PTR first, DWORD_PTR second)
{
    MMRESULT result = MMSYSERR_INVALPARAM;
    switch (message) {
    case kMsgBtAudio:
        if (first == kBtAudioOn || first == kBtAudioOff) {
            m_btAudio = first == kBtAudioOn;
            result = MMSYSERR_NOERROR;
        }
        break;
    case kMsgSwitch:
        result = Switch(DWORD(first), second);
        break;
    case kMsgRouteFirst:
    case kMsgRouteSecond:
        if (first == kRoutePhone || first == kRouteNormal) {
            (message == kMsgRouteFirst ? m_routeFirst : m_routeSecond) = DWORD(first);
            result = MMSYSERR_NOERROR;
        }
        break;
    default:
        result = MMSYSERR_NOTSUPPORTED;
        break;
    }
    // Queries show their answer instead of the pointer they were given.
    bool query = message == kMsgSwitch && (first == kQueryMic || first == kQueryMute);
    if (query && second)
        Trace::Printf("audio", "%u %" PRIuPTR " -> %u", message, first, *reinterpret_cast<DWORD*>(second));
    else
        Trace::Printf("audio", "%u %" PRIuPTR " %" PRIuPTR "%s", message, first, second,
            result == MMSYSERR_NOERROR ? "" : " refused");
    return result;
}

MMRESULT AudioDriver::Switch(DWORD first, DWORD_PTR second)
{
    switch (first) {
    case kSpeakerOn:
    case kSpeakerOff:
        m_callSpeaker = first == kSpeakerOn;
        return MMSYSERR_NOERROR;
    case kMicOn:
    case kMicOff:
        m_callMic = first == kMicOn;
        return MMSYSERR_NOERROR;
    case kQueryMic:
        return Answer(second, m_callMic ? kAnswerMicOn : kAnswerMicOff);
    case kUnmute:
    case kMute:
        m_player.SetMuted(first == kMute);
        return MMSYSERR_NOERROR;
    case kQueryMute:
        return Answer(second, m_player.Muted() ? kAnswerMuted : kAnswerSounding);
    case kVolumeChange:
        if (second > 1)
            return MMSYSERR_INVALPARAM;
        m_inVolumeChange = second == 1;
        return MMSYSERR_NOERROR;
    default:
        return MMSYSERR_INVALPARAM;
    }
}

MMRESULT AudioDriver::Answer(DWORD_PTR second, DWORD value)
{
    if (!second)
        return MMSYSERR_INVALPARAM;
    *reinterpret_cast<DWORD*>(second) = value;
    return MMSYSERR_NOERROR;
}
