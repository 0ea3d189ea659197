#pragma once

// The device's audio driver and its private requests. On the device these switched the audio
// hardware between normal playback and the Bluetooth module's call audio; here the driver keeps
// the switch state, applies the master mute to the sound player, answers the two queries from
// that state, and writes every request with its parameters to the trace (topic "audio").

#include "platform/core/Types.h"

#include <cstdint>

class SoundPlayer;

using MMRESULT = UINT;
using DWORD_PTR = uintptr_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

class AudioDriver {
public:
    // Request numbers.
    static constexpr UINT kMsgBtAudio = 8090;
    static constexpr UINT kMsgSwitch = 8091;
    // A route is always sent as this pair, first then second, with the same value.
    static constexpr UINT kMsgRouteFirst = 8098;
    static constexpr UINT kMsgRouteSecond = 8099;

    // First parameter of kMsgBtAudio.
    static constexpr DWORD kBtAudioOn = 1;
    static constexpr DWORD kBtAudioOff = 2;
    // First parameter of kMsgSwitch.
    static constexpr DWORD kSpeakerOn = 1;
    static constexpr DWORD kSpeakerOff = 2;
    static constexpr DWORD kMicOff = 3;
    static constexpr DWORD kMicOn = 4;
    static constexpr DWORD kQueryMic = 5;
    static constexpr DWORD kUnmute = 6;
    static constexpr DWORD kMute = 7;
    static constexpr DWORD kQueryMute = 8;
    // Second parameter 1 before a volume write, 0 after it.
    static constexpr DWORD kVolumeChange = 9;
    // First parameter of the route pair.
    static constexpr DWORD kRoutePhone = 1;
    static constexpr DWORD kRouteNormal = 2;
    // Query answers, written through the second parameter.
    static constexpr DWORD kAnswerMicOn = 2;
    static constexpr DWORD kAnswerMicOff = 0;
    static constexpr DWORD kAnswerSounding = 1;
    static constexpr DWORD kAnswerMuted = 0;

    explicit AudioDriver(SoundPlayer& player);

    // The driver's request entry. Queries write their answer to the DWORD the second parameter
    // points at (nothing when it is null). Unknown requests change nothing.
    MMRESULT Message(UINT message, DWORD_PTR first, DWORD_PTR second);

    bool BtAudioOn() const { return m_btAudio; }
    bool CallSpeakerOn() const { return m_callSpeaker; }
    bool CallMicOn() const { return m_callMic; }
    bool Muted() const;
    bool InVolumeChange() const { return m_inVolumeChange; }
    // The last value of each half of the route pair; 0 before any route was sent.
    DWORD RouteFirst() const { return m_routeFirst; }
    DWORD RouteSecond() const { return m_routeSecond; }

private:
    MMRESULT Switch(DWORD first, DWORD_PTR second);
    static MMRESULT Answer(DWORD_PTR second, DWORD value);

    SoundPlayer& m_player;
    bool m_btAudio = false;
    bool m_callSpeaker = false;
    bool m_callMic = false;
    bool m_inVolumeChange = false;
    DWORD m_routeFirst = 0;
    DWORD m_routeSecond = 0;
};
