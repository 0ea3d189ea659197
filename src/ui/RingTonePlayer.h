#pragma once

// The looping ring tone of an incoming call. Playing can be refused for a moment, so start and stop
// each try three times, half a second apart, holding up the interface thread for at most 1.5 s.

#include "platform/core/Types.h"

class RingTonePlayer {
public:
    static constexpr int kTries = 3;
    static constexpr DWORD kRetryDelayMs = 500;

    virtual ~RingTonePlayer() = default;

    // Starts the tone the preference selects (2 and 3 their own, anything else the first), unless a
    // tone already plays.
    void Start(DWORD tone);
    // Stops every sound of the application, which also cuts an interface sound.
    void Stop();
    bool IsPlaying() const { return m_bPlaying; }
    // How long the tone last started takes to play once; 0 when none started.
    DWORD ToneLengthMs() const { return m_toneLengthMs; }

private:
    bool m_bPlaying = false;
    DWORD m_toneLengthMs = 0;
};
