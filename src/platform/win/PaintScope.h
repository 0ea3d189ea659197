#pragma once

// Device contexts that give themselves back: a paint's context, ended when the scope ends, and a
// context for the whole window outside painting, released the same way.

#include "platform/win/Window.h"

class PaintScope {
public:
    explicit PaintScope(Window& window)
        : m_window(window)
        , m_dc(window.BeginPaint(&m_ps))
    {
    }
    ~PaintScope() { m_window.EndPaint(&m_ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    // Null when there is nothing to paint on.
    HDC Dc() const { return m_dc; }

private:
    Window& m_window;
    PAINTSTRUCT m_ps {};
    HDC m_dc;
};

class WindowDC {
public:
    explicit WindowDC(Window& window)
        : m_window(window)
        , m_dc(window.GetDC())
    {
    }
    ~WindowDC() { m_window.ReleaseDC(m_dc); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Dc() const { return m_dc; }

private:
    Window& m_window;
    HDC m_dc;
};
