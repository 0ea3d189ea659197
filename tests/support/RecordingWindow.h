#pragma once

// A window for tests: records the messages it gets, paints itself in one colour, and lets a test
// hook any message.

#include "platform/win/Window.h"

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

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool WantsDoubleClicks() const override { return doubleClicks; }
    bool PreTranslateMessage(MSG* msg) override { return pretranslate && pretranslate(msg); }

    int Count(UINT message) const;
    // Clicks reported by the child control with this id.
    int Clicks(UINT id) const;
    void SetColor(COLORREF color) { m_color = color; }

private:
    COLORREF m_color;
};

}
