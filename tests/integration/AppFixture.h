#pragma once

// The whole application in the test's process: a private device root, headless, the virtual clock,
// the module on a real pseudo-terminal, the sound on the null output, the trace captured.

#include "ChildProgram.h"
#include "app/OstrilanApp.h"
#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/ScreenContext.h"
#include "controller/TextTable.h"
#include "link/ModuleFrame.h"
#include "platform/controls/Dialog.h"
#include "platform/core/Text.h"
#include "platform/devices/AudioSystem.h"
#include "platform/win/WindowApi.h"
#include "platform/win/WindowDirectory.h"
#include "platform/win/WindowNode.h"
#include "platform/win/WindowSystem.h"
#include "store/CallLogStore.h"
#include "store/CallRecord.h"
#include "store/PrefStore.h"
#include "support/ModulePty.h"
#include "support/CallRecords.h"
#include "support/TestEnv.h"
#include "ui/SkinPoints.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

class AppTest : public ::testing::Test {
protected:
    // 2026-03-14 09:05:00 on the virtual clock unless a test moves it.
    static constexpr int64_t kStartTime = 1'773'479'100'000;
    // What another thread does takes its time on a loaded machine; a wait that holds ends at once.
    static constexpr std::chrono::milliseconds kGenerousWait { 30000 };

    AppTest();
    ~AppTest() override;

    // The start-up with the launcher's argument, its module traffic dropped; false when it failed.
    bool Start(const std::string& commandLine = "");
    CMainFrame& Frame() const;
    // The screen of a kind as its class, null while it is not open.
    template <class T> T* Screen(UINT kind) const { return dynamic_cast<T*>(Frame().ScreenWindow(kind)); }
    // As the main view's buttons do it; the screen's first paint follows.
    template <class T> T* Open(UINT kind)
    {
        Frame().SendMessage(WM_PHONE_OPEN_SCREEN, kind, 0);
        Idle();
        return Screen<T>(kind);
    }

    // A finger down and up at a point, then everything that follows handled.
    void Tap(int x, int y);
    void TapAt(POINT p) { Tap(p.x, p.y); }
    // A finger held at a point for `ms` on the virtual clock, then lifted.
    void Hold(POINT p, uint64_t ms);
    void Type(const skin::place::Pad& pad, std::string_view keys)
    {
        for (char key : keys)
            TapAt(skin::place::Center(skin::place::PadKey(pad, key)));
    }
    // Moves the virtual clock, firing the timers that fall due.
    void Advance(uint64_t ms) { ws.Advance(ms); }
    // Handles everything pending without moving the clock.
    void Idle() { ws.Idle(); }

    // Writes module frames and waits until the application has handled what they post.
    void Event(uint8_t opcode, const std::vector<uint8_t>& body = {});
    void Response(uint8_t opcode, const std::vector<uint8_t>& body = {});
    // Writes bytes holding `frames` whole frames and waits until the application has handled them.
    void WriteFrames(const std::vector<uint8_t>& bytes, uint64_t frames);
    void State(uint8_t mainState, uint8_t audio = 0) { Event(0x01, { uint8_t((mainState << 3) | audio) }); }
    void Link(uint8_t kind) { Event(0x03, { kind }); }
    void Ring() { Event(0x04); }
    void CallerId(const std::string& number) { Event(0x05, { number.begin(), number.end() }); }
    // A hands-free phone rings from the number (empty: withheld).
    void Rings(const std::string& number)
    {
        Ring();
        State(5);
        if (!number.empty())
            CallerId(number);
    }
    // The phone back at rest, and two seconds of "Call ended" and the logging second after them.
    void CallOver()
    {
        State(4);
        Advance(3000);
        Idle();
    }
    // The bridge's report of a fact of the phone or the host (event 0x60).
    void Indicator(uint8_t kind, uint8_t value) { Event(0x60, { kind, value }); }
    // Up to state 4 (connected) with a hands-free link, as after pairing and connecting a phone.
    void ConnectPhone();

    // The frames the application wrote to the module since the last call.
    std::vector<ModuleFrame> Sent(int quietMs = 100);
    // Sent() as whole frames' bytes (to compare with CommandBytes()), or only their opcodes.
    std::vector<std::vector<uint8_t>> SentFrames();
    std::vector<uint8_t> SentOpcodes();

    // "<topic> <details>" of the trace lines since the last call, optionally only one topic.
    std::vector<std::string> TakeTrace(const std::string& prefix = {});
    // Whether the window drew the text (UTF-8) in its last paint.
    bool ShowsText(const Window& window, const std::string& text) const;
    std::string StatusLine() const { return ToUtf8(Frame().GetStatusLine()); }
    // The pixels of the screen's area, row by row, after what is queued is handled.
    std::vector<uint32_t> Pixels(const RECT& area);
    // A tap on a control of a window that lies at `place` on the screen.
    void TapIn(const RECT& place, const skin::place::Control& control);
    // Cards appended to a file of data/contacts/, where the book finds them.
    static std::string Card(const std::string& name, const std::string& tels);
    void DropContacts(const std::string& file, const std::string& cards);
    // Pumps until the book (loaded off the interface thread) names the number.
    bool KnowsCaller(const char16_t* number);
    // The phone 11:22:33:44:55:66 stored with its name, as a pairing leaves it.
    void StorePhoneName(const char16_t* name);
    // The records of a history file in the data folder, in file order, empty slots left out.
    std::vector<CallRecord> History(const std::string& file) const;
    // A history file (1 incoming, 2 outgoing, 3 missed) as the store writes it, with the magic
    // given and the slots in file order, empty ones and foreign types as given.
    void WriteHistory(int list, DWORD magic, std::vector<CallRecord> slots);
    std::filesystem::path DataPath(const std::string& file) const { return dir / "data" / file; }
    // A call to the number from a screen ("<kind> <class>", empty: the main view): dialled, the
    // outgoing call, the last number in memory and LastCall.dat, the outgoing screen (closed here).
    void ExpectCallPlaced(const std::string& number, const std::string& closedScreen);
    // The screen looks exactly as docs/screens/<name>.png (OSTRILAN_UPDATE_SCREENS=1 writes it
    // there, as scripts/screens.sh does). Unless asIs, what is queued is handled first.
    void Screenshot(const std::string& name, bool asIs = false);
    // Taps a button of the next message box once it is up: MB_OK's only one, or Yes / No.
    enum class Answer { Ok, Yes, No };
    void AnswerMessageBox(Answer answer);

    testenv::TempDir dir;
    testenv::ScopedVirtualClock clock { kStartTime };
    AudioSystem audio { AudioSystem::OutputChoice::Null };
    ModulePty module;
    testenv::ScopedEnv rootEnv { "OSTRILAN_ROOT", dir.Path().c_str() };
    testenv::ScopedEnv com2Env { "OSTRILAN_COM2", module.SlavePath().c_str() };
    testenv::ScopedEnv langEnv { "OSTRILAN_LANG", "0x0409" };
    WindowSystem ws;
    COstrilanApp app;

private:
    // Writes a frame with `write` and waits until the application has handled what it posts.
    template <class Write> void Dispatch(Write write, uint64_t frames = 1);
    void TryAnswer(UINT id, std::chrono::steady_clock::time_point deadline);

    size_t m_traceSeen = 0;
};

// Other programs' windows (a launcher, media players), played by ostrilan-peer processes that
// find the application through the window directory.
class PeerAppTest : public AppTest {
protected:
    void TearDown() override;
    // Starts a peer (the test owns it) and waits until its window of that class (or title) is listed.
    void StartPeer(ChildProgram& peer, const std::vector<std::string>& args, const char* className,
        const std::string& title = {});
    // Every line the peer printed until it has been quiet for a moment.
    static std::vector<std::string> Received(ChildProgram& peer);

    WindowDirectory directory { ws, dir.Path() };
    std::vector<ChildProgram*> m_peers;
};
