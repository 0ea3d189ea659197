#pragma once

// What the call screen and keypad tests share: the places of the keys on the panel, the keypad
// of a call screen, and a look at a screen in the middle of its closing sequence.

#include "AppFixture.h"

#include "controller/PhoneMessages.h"
#include "platform/draw/ImageCodec.h"
#include "platform/loop/Clock.h"
#include "screens/DlgNumKeypad.h"
#include "ui/SkinPoints.h"
#include "controller/ScreenContext.h"

#include <chrono>
#include <string_view>

class CallScreenTest : public AppTest {
protected:
    // Centre of a keypad key ('x' for the close button) on the screen.
    static POINT KeypadKey(char key)
    {
        using namespace skin::place;
        POINT p = Center(key == 'x' ? numpad::btn_close : PadKey(kKeypad, key));
        return { CDlgNumKeypad::kPlace.left + p.x, CDlgNumKeypad::kPlace.top + p.y };
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

    // A command's parameters as text.
    static std::string BodyText(const ModuleFrame& frame)
    {
        std::span<const BYTE> body = frame.Field(ModuleFrame::kOffsetBody, frame.Length() - 1u);
        return std::string(body.begin(), body.end());
    }

    void SetDialString(std::string_view number)
    {
        auto& dial = Frame().Context()->status.dialString;
        dial.fill(0);
        std::copy_n(number.begin(), std::min(number.size(), dial.size()), dial.begin());
    }
};
