#include "WindowTest.h"

#include "platform/win/WindowApi.h"

namespace {

constexpr UINT WM_TEST = WM_USER + 1;

using MessageLoop = WindowTest;

}

TEST_F(MessageLoop, PostedMessagesComeBeforeTimersTimersBeforePaintAndQuitAfterAll)
{
    RecordingWindow w;
    ASSERT_TRUE(w.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    system.Idle();
    std::vector<UINT> seen;
    w.hook = [&](UINT m, WPARAM wp, LPARAM) {
        if (m == WM_TEST || m == WM_TIMER || m == WM_ERASEBKGND || m == WM_PAINT)
            seen.push_back(m == WM_TEST ? UINT(WM_TEST + wp) : m);
        return false;
    };
    w.SetTimer(7, 100);
    clock->Advance(100); // the timer is due, but not yet handled
    w.Invalidate(true);
    w.PostMessage(WM_TEST, 1);
    w.PostMessage(WM_TEST, 2);
    system.Idle();
    EXPECT_EQ(seen, (std::vector<UINT> { WM_TEST + 1, WM_TEST + 2, WM_TIMER, WM_PAINT, WM_ERASEBKGND }));

    // A quit ends the loop with its code, after the messages already waiting.
    w.hook = [&](UINT m, WPARAM, LPARAM) {
        if (m == WM_TEST)
            PostQuitMessage(42);
        return false;
    };
    w.KillTimer(7);
    w.PostMessage(WM_TEST);
    w.PostMessage(WM_TEST + 1);
    EXPECT_EQ(system.Run(), 42);
    EXPECT_EQ(w.Count(WM_TEST + 1), 1);
}

// Due timers fire in time order, each followed at once by what it posts.
TEST_F(MessageLoop, TimersFireInDueOrderRestartWhenSetAgainAndStopWhenKilled)
{
    RecordingWindow w;
    ASSERT_TRUE(w.Create(nullptr, kFull, WS_POPUP));
    const DWORD start = GetTickCount();
    std::vector<std::string> log;
    w.hook = [&](UINT m, WPARAM id, LPARAM) {
        if (m == WM_TIMER && id == 1)
            w.PostMessage(WM_TEST);
        if (m == WM_TIMER || m == WM_TEST)
            log.push_back((m == WM_TEST ? "posted" : "timer" + std::to_string(id)) + "@"
                + std::to_string(GetTickCount() - start));
        return false;
    };
    w.SetTimer(1, 800);
    w.SetTimer(2, 1000);
    system.Advance(1700);
    EXPECT_EQ(log,
        (std::vector<std::string> {
            "timer1@800", "posted@800", "timer2@1000", "timer1@1600", "posted@1600" }));

    log.clear();
    w.SetTimer(1, 800); // starts its period again: next due at 2500, not 2400
    system.Advance(800);
    EXPECT_EQ(log, (std::vector<std::string> { "timer2@2000", "timer1@2500", "posted@2500" }));
    EXPECT_TRUE(w.KillTimer(2));
    EXPECT_FALSE(w.KillTimer(2));
    log.clear();
    system.Advance(800);
    EXPECT_EQ(log, (std::vector<std::string> { "timer1@3300", "posted@3300" }));

    // A shorter period than 10 ms runs as 10 ms.
    EXPECT_TRUE(w.KillTimer(1));
    log.clear();
    w.SetTimer(3, 1);
    system.Advance(20);
    EXPECT_EQ(log, (std::vector<std::string> { "timer3@3310", "timer3@3320" }));
}

TEST_F(MessageLoop, DestroyDropsPendingMessagesAndTimersAndDestroysChildren)
{
    RecordingWindow killer, parent, child;
    ASSERT_TRUE(killer.Create(nullptr, kFull, WS_POPUP));
    ASSERT_TRUE(parent.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(child.Create(&parent, RECT { 0, 0, 10, 10 }, WS_CHILD | WS_VISIBLE));
    HWND parentHwnd = parent.GetSafeHwnd();
    HWND childHwnd = child.GetSafeHwnd();
    killer.hook = [&](UINT m, WPARAM, LPARAM) {
        if (m == WM_TEST)
            parent.DestroyWindow();
        return false;
    };
    parent.SetTimer(1, 100);
    child.SetTimer(1, 100);
    killer.PostMessage(WM_TEST);
    parent.PostMessage(WM_TEST);
    child.PostMessage(WM_TEST);
    system.Idle();

    EXPECT_EQ(parent.Count(WM_DESTROY), 1);
    EXPECT_EQ(child.Count(WM_DESTROY), 1);
    EXPECT_FALSE(IsWindow(parentHwnd));
    EXPECT_FALSE(IsWindow(childHwnd));
    EXPECT_EQ(child.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(PostMessageW(childHwnd, WM_TEST, 0, 0));
    system.Advance(1000);
    EXPECT_EQ(parent.Count(WM_TEST) + child.Count(WM_TEST), 0);
    EXPECT_EQ(parent.Count(WM_TIMER) + child.Count(WM_TIMER), 0);
}
