#pragma once

// The ringing caller said by name (or the number, digit by digit) once the first ring tone has
// played once, over the ring, which is ducked meanwhile; once per ring. The speech is made on a
// worker thread as soon as the caller is known, so it never holds up the incoming screen; what is
// ready after the ring ended is dropped, and nothing is said after it.

#include "platform/core/Types.h"
#include "platform/devices/DeviceLanguage.h"
#include "platform/devices/SpeechWorker.h"

#include <optional>
#include <string>

class CallerSpeech {
public:
    // The worker posts `readyMessage` (wParam: the ticket) to the window when a speech is ready.
    CallerSpeech(HWND target, UINT readyMessage, uint32_t outputRate);

    // The espeak-ng voice of an interface language; languages without one have English.
    static const char* VoiceFor(LANGID language);
    // The name when the contacts know it, else the number's digits one by one ("5 5 5 1").
    static std::string TextFor(const std::optional<WString>& name, std::string_view number);

    // A new ring: nothing is said of the ring before.
    void RingStarted();
    // The ring's caller: the speech is made now, the first time in the ring.
    void CallerKnown(const std::string& text, const std::string& voice);
    // The first ring tone has played once: the speech is said when it is ready.
    void ToneDone();
    // The worker's message for a ticket.
    void Ready(WPARAM ticket);
    // Answered, rejected, given up, or the phone rings by itself: nothing more is said.
    void RingEnded();
    bool Ringing() const { return m_ringing; }

private:
    void SayWhenDue();

    SpeechWorker m_worker;
    uint32_t m_ticket = 0;
    bool m_ringing = false;
    bool m_requested = false;
    bool m_toneDone = false;
    std::shared_ptr<const PcmSound> m_sound;
};
