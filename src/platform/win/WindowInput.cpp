// Input: taps and keys from the display backend, the automation or tests, routed as the device
// routed them. Injection only queues the input, so it keeps its place among posted messages.

#include "platform/loop/Clock.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSystem.h"

#include <cstdlib>

void WindowSystem::InjectMouse(UINT message, int x, int y)
{
    m_queue.PostTask([this, message, x, y] { HandleInput({ nullptr, message, 0, MAKELPARAM(x, y) }); });
}

void WindowSystem::InjectKey(UINT virtualKey)
{
    m_queue.PostTask([this, virtualKey] {
        HandleInput({ nullptr, WM_KEYDOWN, virtualKey, 1 });
        HandleInput({ nullptr, WM_KEYUP, virtualKey, LPARAM(0xC0000001) });
    });
}

WindowNode* WindowSystem::HitTest(WindowNode* node, POINT screenPoint) const
{
    POINT origin = ScreenOrigin(node);
    for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
        WindowNode* child = *it;
        // A disabled child is passed over: the tap goes to what lies under it, in the end its parent.
        if (!child->visible || !child->enabled)
            continue;
        if (Region(ShapeInParent(child)).Offset(origin.x, origin.y).Contains(screenPoint))
            return HitTest(child, screenPoint);
    }
    return node;
}

HWND WindowSystem::WindowFromPoint(POINT screenPoint) const
{
    WindowNode* node = HitTest(const_cast<WindowNode*>(&m_desktop), screenPoint);
    return node == &m_desktop ? nullptr : node->hwnd;
}

void WindowSystem::HandleInput(const MSG& input)
{
    if (input.message == WM_KEYDOWN || input.message == WM_KEYUP) {
        WindowNode* target = Find(m_focus);
        if (!target || !IsEffectivelyVisible(target))
            target = Find(m_foreground);
        if (!target && !m_desktop.children.empty())
            target = m_desktop.children.back();
        if (target && IsEffectivelyEnabled(target))
            Dispatch({ target->hwnd, input.message, input.wParam, input.lParam }, true);
        return;
    }

    POINT pt { GET_X_LPARAM(input.lParam), GET_Y_LPARAM(input.lParam) };
    WindowNode* target = nullptr;
    if (m_capture)
        target = Find(m_capture);
    else if (input.message != WM_LBUTTONDOWN && m_mouseOwner)
        target = Find(m_mouseOwner);
    else if (input.message != WM_MOUSEMOVE)
        target = HitTest(&m_desktop, pt);
    if (input.message == WM_LBUTTONUP)
        m_mouseOwner = nullptr;
    if (!target || target == &m_desktop || !IsEffectivelyEnabled(target))
        return;

    UINT message = input.message;
    if (message == WM_LBUTTONDOWN) {
        uint64_t now = Clock::Current().NowMs();
        bool quickSecond = target->wantsDoubleClicks && target->hwnd == m_lastDownWindow && !m_lastDownWasDouble
            && now - m_lastDownMs <= kDoubleClickMs && std::abs(pt.x - m_lastDownPoint.x) <= kDoubleClickDistance
            && std::abs(pt.y - m_lastDownPoint.y) <= kDoubleClickDistance;
        if (quickSecond)
            message = WM_LBUTTONDBLCLK;
        // A third quick tap starts a new pair rather than making a second double click.
        m_lastDownWasDouble = quickSecond;
        m_lastDownWindow = target->hwnd;
        m_lastDownMs = now;
        m_lastDownPoint = pt;
        m_mouseOwner = target->hwnd;
    }
    POINT origin = ScreenOrigin(target);
    WPARAM keys = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
    Dispatch({ target->hwnd, message, keys, MAKELPARAM(pt.x - origin.x, pt.y - origin.y) }, true);
}
