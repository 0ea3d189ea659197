#pragma once

// What the bridge to the host's Bluetooth stack last reported through its indicator event, and
// what the screens say of it. Nothing is known until the first report, so with a serial module,
// which never sends one, every screen reads as it always did.

#include "link/BridgeIndicator.h"
#include "platform/core/Types.h"

#include <optional>

class BridgeIndicators {
public:
    // Keeps a report; false when it changes nothing or its kind or value is unknown here.
    bool Set(WPARAM kind, LPARAM value);
    std::optional<bridge::HostStack> HostStack() const { return m_hostStack; }
    // The text key naming what is wrong with the host stack and what to do; null while it is
    // ready or was never reported.
    const char* HostStackAdvice() const;

private:
    std::optional<bridge::HostStack> m_hostStack;
};
