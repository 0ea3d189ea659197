#include "LineSocket.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/ImageCodec.h"
#include "platform/tooling/AutomationServer.h"
#include "platform/win/WindowSystem.h"
#include "support/RecordingWindow.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <thread>

using testenv::RecordingWindow;

namespace {

// Runs a client conversation on another thread while this thread runs the UI loop.
std::vector<std::string> Converse(WindowSystem& system, const std::string& path, std::vector<std::string> lines)
{
    std::vector<std::string> answers;
    bool done = false;
    std::thread client([&] {
        LineSocket c;
        if (c.Connect(path, std::chrono::seconds(10))) {
            for (const std::string& line : lines)
                answers.push_back(c.Ask(line, std::chrono::seconds(30)));
        }
        system.PostTask([&] { done = true; });
    });
    system.PumpUntil([&] { return done; }, std::chrono::seconds(60));
    client.join();
    return answers;
}

}

TEST(AutomationServer, RoundTripOfTapIdleWindowsAdvanceAndQuit)
{
    testenv::TempDir dir;
    testenv::ScopedVirtualClock clock;
    WindowSystem system;
    RecordingWindow frame(RGB(10, 20, 30));
    RecordingWindow button(RGB(200, 200, 200));
    ASSERT_TRUE(frame.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE, 0, u"Ostrilan_10001234"));
    ASSERT_TRUE(button.Create(&frame, RECT { 10, 20, 110, 80 }, WS_CHILD | WS_VISIBLE, 1001, u"Dial"));
    button.SetTimer(1, 1000);
    AutomationServer server(system, (dir / "auto.sock").string());
    ASSERT_TRUE(server.Start());

    frame.hook = [&](UINT m, WPARAM, LPARAM) {
        if (m != WM_PAINT)
            return false;
        PAINTSTRUCT ps;
        HDC dc = frame.BeginPaint(&ps);
        dc->FillSolidRect(RECT { 0, 0, 480, 272 }, RGB(10, 20, 30));
        DrawText(dc, u"Ready", RECT { 50, 237, 430, 254 }, DT_CENTER);
        frame.EndPaint(&ps);
        return true;
    };
    std::string shot = (dir / "shot.png").string();
    auto answers = Converse(system, (dir / "auto.sock").string(),
        { "tap 50 50", "idle", "windows", "advance 3000", "key F10", "frobnicate", "tap 1", "texts",
            "screenshot " + shot, "quit" });
    ASSERT_EQ(answers.size(), 10u);
    for (size_t i : { 0, 1, 3, 4, 8, 9 })
        EXPECT_EQ(answers[i], "ok") << i;
    for (size_t i : { 5, 6 })
        EXPECT_EQ(answers[i].rfind("error", 0), 0u) << answers[i];
    EXPECT_EQ(button.Count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(button.Count(WM_LBUTTONUP), 1);
    EXPECT_NE(answers[2].find("\"class\": \"testenv::RecordingWindow\", \"id\": 0, \"text\": \"Ostrilan_10001234\", "
                              "\"rect\": [0, 0, 480, 272], \"visible\": true, \"enabled\": true"),
        std::string::npos)
        << answers[2];
    EXPECT_NE(answers[2].find("\"id\": 1001, \"text\": \"Dial\", \"rect\": [10, 20, 110, 80]"), std::string::npos);
    EXPECT_EQ(button.Count(WM_TIMER), 3);
    EXPECT_EQ(frame.Count(WM_KEYUP), 1);
    EXPECT_EQ(answers[7], "ok [{\"class\": \"testenv::RecordingWindow\", \"id\": 0, \"texts\": [{\"text\": \"Ready\", "
                          "\"rect\": [50, 237, 430, 254]}]}]");
    std::optional<Surface> png = LoadPng(shot);
    ASSERT_TRUE(png);
    EXPECT_EQ(png->Width(), 480);
    EXPECT_EQ(Surface::ToColorRef(png->Pixel(5, 5)), RGB(10, 20, 30));
    EXPECT_EQ(Surface::ToColorRef(png->Pixel(50, 50)), RGB(200, 200, 200));
    system.Idle();
    EXPECT_EQ(frame.GetSafeHwnd(), nullptr) << "quit closes the first top-level window";
}
