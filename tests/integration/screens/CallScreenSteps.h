#pragma once

// What the call screen and keypad tests share: the places of the keys on the panel, the keypad
// of a call screen, and a look at a screen in the middle of its closing sequence.

#include "ScreenFixture.h"

#include "controller/PhoneMessages.h"
#include "platform/draw/ImageCodec.h"
#include "platform/loop/Clock.h"
#include "screens/DlgNumKeypad.h"

#include <chrono>
#include <string_view>

class CallScreenTest : public ScreenTest {
protected:
    // Centre of a keypad key ('x' for the close button) while the keypad stands at (50, 180).
    static POINT KeypadKey(char key)
    {
        constexpr std::string_view kRows[2] = { "12345*", "67890#" };
        if (key == 'x')
            return { 50 + 282 + 11, 180 + 3 + 11 };
        for (int row = 0; row < 2; ++row) {
            if (size_t column = kRows[row].find(key); column != std::string_view::npos)
                return { 50 + 5 + 50 * int(column) + 23, 180 + 26 + 28 * row + 12 };
        }
        return { 0, 0 };
    }
    void TapKeys(std::string_view keys)
    {
        for (char key : keys)
            Tap(KeypadKey(key).x, KeypadKey(key).y);
    }

    CDlgNumKeypad* KeypadOf(const Window& screen)
    {
        for (HWND child : ws.Children(screen.GetSafeHwnd())) {
            if (auto* keypad = dynamic_cast<CDlgNumKeypad*>(ws.FromHandle(child)))
                return keypad;
        }
        return nullptr;
    }

    // Handles one message at a time until the screen of the kind has drawn the text, so that what
    // it posted meanwhile (its close) is still queued.
    bool HandleUntilShown(UINT kind, const std::string& text)
    {
        return ws.PumpUntil(
            [&] {
                Window* screen = Frame().ScreenWindow(kind);
                return screen && ShowsText(*screen, text);
            },
            std::chrono::milliseconds(3000));
    }

    // The panel as it is now; Screenshot() would first handle what is queued.
    void ScreenshotAsIs(const std::string& name)
    {
        const char* folder = std::getenv("OSTRILAN_SCREENS_DIR");
        if (folder && *folder) {
            EXPECT_TRUE(SavePng(ws.Screen(), std::filesystem::path(folder) / (name + ".png")));
        }
    }

    // A command's parameters as text.
    static std::string BodyText(const ModuleFrame& frame)
    {
        std::span<const BYTE> body = frame.Field(ModuleFrame::kOffsetBody, frame.Length() - 1u);
        return std::string(body.begin(), body.end());
    }

    void SetDialString(std::string_view number)
    {
        auto& dial = Frame().m_pPhoneStatus->dialString;
        dial.fill(0);
        std::copy_n(number.begin(), std::min(number.size(), dial.size()), dial.begin());
    }
};
