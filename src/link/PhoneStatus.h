#pragma once

// The shared picture of the module's and the call's state. The main frame decodes the module's
// state byte into it and keeps the previous values; the screens read it. UI thread only.
//
// The state byte packs: bits 7-6 field A, bits 5-3 the main state, bits 2-1 field B, bit 0 the
// audio flag (the call's voice audio is connected).

#include "platform/core/Types.h"
#include "platform/loop/Clock.h"

#include <array>

class PhoneStatus {
public:
    static constexpr size_t kDialSize = 32;

    // Main states the system acts on; 0, 3 and 7 are further module states.
    static constexpr BYTE kStateIdle = 1;
    static constexpr BYTE kStatePairing = 2;
    static constexpr BYTE kStateConnected = 4;
    static constexpr BYTE kStateRinging = 5;
    static constexpr BYTE kStateInCall = 6;

    static constexpr BYTE FieldA(BYTE state) { return BYTE(state >> 6); }
    static constexpr BYTE MainState(BYTE state) { return BYTE((state >> 3) & 0x07); }
    static constexpr BYTE FieldB(BYTE state) { return BYTE((state >> 1) & 0x03); }
    static constexpr BYTE AudioFlag(BYTE state) { return BYTE(state & 0x01); }

    virtual ~PhoneStatus() = default;

    // Seconds from call start to now on the current clock, truncated toward zero.
    void UpdateElapsed();
    // Adds c in the first free slot; a full dial string is left as it is.
    void AppendDigit(char c);
    // Clears the last used slot; an empty dial string is left as it is.
    void DeleteLastDigit();
    // The dial string up to its first zero or its end, one wide character per byte.
    WString DialText() const;

    BYTE rawState = 0;
    BYTE stateFieldA = 0;
    BYTE mainState = 0;
    BYTE stateFieldB = 0;
    BYTE audioFlag = 0;
    BYTE prevStateFieldB = 0;
    BYTE prevMainState = 0;
    BYTE prevAudioFlag = 0;
    std::array<BYTE, 3> callStatus {};
    std::array<BYTE, 3> prevCallStatus {};
    BYTE linkKind = 0;
    BYTE prevLinkKind = 0;
    DWORD callType = 0;
    DWORD micGain = 0;
    SYSTEMTIME callStart {};
    int64_t elapsedSeconds = 0;
    // Not terminated when all 32 slots are used.
    std::array<char, kDialSize> dialString {};
};

// The text, or its last n characters when it is longer: fits a number into a display field.
WString TailText(const WString& text, size_t n);
