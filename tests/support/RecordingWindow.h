#pragma once

// A window for tests: records the messages it gets, paints itself in one colour, and lets a test
// hook any message.

#include "platform/controls/OwnerDraw.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace testenv {

class RecordingWindow : public Window {
public:
    struct Received {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    explicit RecordingWindow(COLORREF paintColor = RGB(0, 0, 0))
        : m_color(paintColor)
    {
    }

    std::vector<Received> received;
    // Runs before the default handling; return true to stop there with result 0.
    std::function<bool(UINT, WPARAM, LPARAM)> hook;
    bool doubleClicks = false;
    // Sees what the loop pre-translates for this window and its descendants.
    std::function<bool(MSG*)> pretranslate;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        received.push_back({ message, wParam, lParam });
        if (hook && hook(message, wParam, lParam))
            return 0;
        if (message != WM_PAINT)
            return Window::WindowProc(message, wParam, lParam);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(&ps);
        RECT client;
        GetClientRect(&client);
        if (dc)
            dc->FillSolidRect(client, m_color);
        EndPaint(&ps);
        return 0;
    }
    bool WantsDoubleClicks() const override { return doubleClicks; }
    bool PreTranslateMessage(MSG* msg) override { return pretranslate && pretranslate(msg); }

    int Count(UINT message) const
    {
        return int(std::count_if(
            received.begin(), received.end(), [&](const Received& r) { return r.message == message; }));
    }
    // Clicks reported by the child control with this id.
    int Clicks(UINT id) const
    {
        return int(std::count_if(received.begin(), received.end(), [&](const Received& r) {
            return r.message == WM_COMMAND && LOWORD(r.wParam) == id && HIWORD(r.wParam) == BN_CLICKED;
        }));
    }
    void SetColor(COLORREF color) { m_color = color; }

private:
    COLORREF m_color;
};

}
