#pragma once

// What the window system knows of one window. Windows are addressed by handle; the node lives
// from creation until the window is destroyed, the C++ object behind it may live longer.

#include "platform/core/Region.h"

#include <optional>
#include <string>
#include <vector>

class Window;

struct WindowNode {
    HWND hwnd = nullptr;
    Window* object = nullptr;
    WindowNode* parent = nullptr;
    // Bottom to top.
    std::vector<WindowNode*> children;

    // In the parent's client coordinates (the screen's for top-level windows). Windows have no
    // frame, so the client area is the whole window.
    RECT rect;
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT id = 0;
    WString text;
    std::string className;
    bool visible = false;
    bool enabled = true;
    bool wantsDoubleClicks = false;
    bool destroying = false;

    // The window's shape in its own coordinates; none means the whole rectangle.
    std::optional<Region> shape;
    // What needs painting, in the window's own coordinates.
    Region update;
    bool erasepending = false;

    bool IsTopmost() const { return (exStyle & 0x00000008) != 0; }
    RECT ClientRect() const { return { 0, 0, rect.Width(), rect.Height() }; }
};
