#pragma once

// The main frame on a private device root, headless and on the virtual clock, with the module
// played on a real pseudo-terminal, the sound on the null output and the trace captured. Screens
// are stand-ins that record what the frame posts to them.

#include "controller/MainFrame.h"
#include "platform/controls/Dialog.h"
#include "platform/devices/AudioSystem.h"
#include "platform/win/WindowSystem.h"
#include "store/CallRecord.h"
#include "support/ModulePty.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

// A screen stand-in: records every message it is posted, in one log shared by all kinds.
struct ScreenPost {
    UINT kind;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class ObservedFrame : public CMainFrame {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int moduleMessages = 0;
    using CMainFrame::OnTimer;
    // The frame's own state, which its tests look at directly.
    using CMainFrame::m_btModule;
    using CMainFrame::m_pCallLog;
    using CMainFrame::m_pPhoneStatus;
};

class ControllerTest : public ::testing::Test {
public:
    // What the screen stand-ins were posted, in order.
    static std::vector<ScreenPost>& Posts();

protected:
    ControllerTest();
    ~ControllerTest() override;

    // Creates the frame (its whole start-up); false when the creation failed.
    bool StartFrame();
    void StopFrame();
    // Sends module events and runs the loop until the frame handled them.
    void State(uint8_t mainState, uint8_t audio = 0);
    void Link(uint8_t kind);
    void Ring();
    void CallerId(const std::string& number);
    void WaitHandled(int count);
    // Moves the virtual clock, firing timers.
    void Advance(uint64_t ms) { ws.Advance(ms); }

    // "<topic> <details>" of the trace lines since the last call.
    std::vector<std::string> TakeTrace();
    static std::vector<std::string> Only(const std::vector<std::string>& lines, const std::string& prefix);
    // The records of a history file, newest first.
    std::vector<CallRecord> History(const std::string& file) const;
    // Leaves only the given language files in the application's language folder.
    void KeepLanguages(const std::vector<std::string>& files);
    // Answers the next count message boxes with a tap on their first button.
    void AnswerMessageBoxes(int count);

    testenv::TempDir dir;
    testenv::ScopedVirtualClock clock;
    AudioSystem audio { AudioSystem::OutputChoice::Null };
    ModulePty module;
    WindowSystem ws;
    ObservedFrame frame;

private:
    size_t m_traceSeen = 0;
    std::map<std::string, std::optional<std::string>> m_savedEnv;
};
