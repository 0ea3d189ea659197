#pragma once

// A running module link on a real pseudo-terminal, posting to a window that records every module
// message together with the buffers as its handler sees them.

#include "PtyPeer.h"
#include "link/ModuleLink.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

struct Handled {
    ModuleMessage message;
    ModuleBuffers buffers;
};

class Recorder : public Window {
public:
    // Also takes the link's buffers as its message left them while handling each message, as the
    // main frame does.
    ModuleLink* link = nullptr;
    std::vector<Handled> handled;
    std::function<void(const ModuleMessage&)> onMessage;

    std::vector<ModuleMessage> Messages() const;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
};

class LinkTest : public ::testing::Test {
protected:
    static constexpr std::chrono::milliseconds kWait { 2000 };
    // Event 0x04 (ring): posted for sure, so once it is handled everything written before it was.
    static const std::vector<uint8_t> kSentinel;
    static constexpr ModuleMessage kSentinelMessage { 0x8604, 0, 0 };

    void SetUp() override;
    void TearDown() override;

    // Writes the bytes and then the sentinel, and runs the loop until the sentinel is handled.
    // Returns the messages handled before it.
    std::vector<ModuleMessage> Exchange(const std::vector<uint8_t>& bytes);
    bool PumpUntilHandled(size_t count, std::chrono::milliseconds limit = kWait);

    PtyPeer peer;
    WindowSystem ws;
    Recorder rec;
    ModuleLink link;
};

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b);
