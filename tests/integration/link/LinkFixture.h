#pragma once

// A running module link on a real pseudo-terminal, posting to a window that records every module
// message together with the buffers as its handler sees them.

#include "link/ModuleLink.h"
#include "platform/win/WindowSystem.h"
#include "support/ModulePty.h"
#include "support/ModuleRecorder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

// The link's port, COM2, opens the device named by OSTRILAN_COM2: a terminal's slave, or a path
// standing for it that can be pointed at a new terminal to play an adapter that comes back.
constexpr unsigned kPort = 2;
inline void UseDevice(const std::filesystem::path& path)
{
    setenv("OSTRILAN_COM2", path.c_str(), 1);
}

// Event 0x03: a hands-free link, and the message it posts.
inline const Bytes kLinkEvent = ModuleFrameBytes(0x04, 0x03, { 0x02 });
inline const ModuleMessage kLinkMessage { WM_BT_EV_LINK, 2, 0 };

inline Bytes Str(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

class LinkTest : public ::testing::Test {
protected:
    static constexpr std::chrono::milliseconds kWait { 2000 };
    // Event 0x04 (ring): posted for sure, so once it is handled everything written before it was.
    static const Bytes kSentinel;
    static constexpr ModuleMessage kSentinelMessage { 0x8604, 0, 0 };

    void SetUp() override;
    void TearDown() override;

    // Writes the bytes, then the sentinel; returns the messages handled before the sentinel.
    std::vector<ModuleMessage> Exchange(const Bytes& bytes);
    bool PumpUntilHandled(size_t count, std::chrono::milliseconds limit = kWait);

    ModulePty peer;
    WindowSystem ws;
    Recorder rec;
    ModuleLink link;
};

Bytes operator+(Bytes a, const Bytes& b);
