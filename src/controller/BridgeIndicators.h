#pragma once

// What the bridge to the host's Bluetooth stack last reported through its indicator and text
// events, and what the screens say of it. Nothing is known until the first report, so with a
// serial module, which never sends one, every screen reads as it always did.

#include "link/BridgeIndicator.h"
#include "platform/core/Types.h"

#include <optional>
#include <string>

class BridgeIndicators {
public:
    // Keeps a report; false when it changes nothing or its kind or value is unknown here. A value
    // out of its kind's range is refused, not clamped: the last good one stays.
    bool Set(WPARAM kind, LPARAM value);
    // The same for the text event; an empty text forgets the one kept.
    bool SetText(WPARAM kind, const WString& text);
    // The phone went away: its facts are no longer known. True when something was shown.
    bool ForgetPhone();
    // True once any bridge event arrived: only then may the bridge's command be sent.
    bool SpeaksExtensions() const { return m_heard; }

    std::optional<bridge::HostStack> HostStack() const { return m_hostStack; }
    // The text key naming what is wrong with the host stack and what to do; null while it is
    // ready or was never reported.
    const char* HostStackAdvice() const;

    std::optional<BYTE> Signal() const { return m_signal; }
    std::optional<BYTE> Battery() const { return m_battery; }
    std::optional<bool> Roaming() const { return m_roaming; }
    std::optional<bool> Service() const { return m_service; }
    // The phone rings through the car itself: nothing of ours need be said over it.
    bool InbandRinging() const { return m_inband.value_or(false); }
    // Empty while unknown.
    const WString& OperatorName() const { return m_operator; }
    // Whether the phone's voice assistant listens; unknown until the bridge reports it.
    std::optional<bool> Assistant() const { return m_assistant; }

private:
    bool m_heard = false;
    std::optional<bridge::HostStack> m_hostStack;
    std::optional<BYTE> m_signal;
    std::optional<BYTE> m_battery;
    std::optional<bool> m_roaming;
    std::optional<bool> m_service;
    std::optional<bool> m_assistant;
    std::optional<bool> m_inband;
    WString m_operator;
};
