// The window tree: creation, destruction, visibility, position and z-order.

#include "platform/win/TopLevelObserver.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSystem.h"

#include <algorithm>

void WindowSystem::NotifyTopLevelChanged(const WindowNode* node)
{
    if (node->parent == &m_desktop && m_topLevelObserver)
        m_topLevelObserver->TopLevelChanged(node->hwnd, node->className, node->text);
}

WindowNode* WindowSystem::Find(HWND hwnd) const
{
    if (!hwnd)
        return nullptr;
    auto it = m_nodes.find(hwnd);
    return it == m_nodes.end() ? nullptr : it->second.get();
}

bool WindowSystem::IsWindow(HWND hwnd) const { return Find(hwnd) != nullptr; }

Window* WindowSystem::FromHandle(HWND hwnd) const
{
    WindowNode* node = Find(hwnd);
    return node ? node->object : nullptr;
}

const WindowNode* WindowSystem::Node(HWND hwnd) const { return Find(hwnd); }

HWND WindowSystem::CreateNode(Window* object, HWND parent, const RECT& rect, DWORD style, UINT id,
    const WString& text, DWORD exStyle)
{
    WindowNode* parentNode = parent ? Find(parent) : &m_desktop;
    if (!parentNode)
        return nullptr;
    auto owned = std::make_unique<WindowNode>();
    WindowNode* node = owned.get();
    node->hwnd = reinterpret_cast<HWND>(m_nextHandle++);
    node->object = object;
    node->parent = parentNode;
    node->rect = rect;
    node->style = style & ~(WS_VISIBLE | WS_DISABLED);
    node->exStyle = exStyle;
    node->id = id;
    node->text = text;
    node->className = object->WindowClassName();
    node->wantsDoubleClicks = object->WantsDoubleClicks();
    node->enabled = !(style & WS_DISABLED);
    PlaceInZOrder(node, HWND_TOP);
    HWND hwnd = node->hwnd;
    m_nodes.emplace(hwnd, std::move(owned));
    {
        std::lock_guard lock(m_liveMutex);
        m_live.insert(hwnd);
    }
    object->m_hWnd = hwnd;

    if (object->WindowProc(WM_CREATE, 0, 0) == -1) {
        Destroy(hwnd);
        return nullptr;
    }
    if (!Find(hwnd))
        return nullptr;
    NotifyTopLevelChanged(node);
    if (style & WS_VISIBLE)
        Show(hwnd, parent ? SW_SHOWNA : SW_SHOW);
    return hwnd;
}

void WindowSystem::PlaceInZOrder(WindowNode* node, HWND insertAfter)
{
    auto& siblings = node->parent->children;
    std::erase(siblings, node);
    if (insertAfter == HWND_TOPMOST) {
        node->exStyle |= WS_EX_TOPMOST;
    } else if (insertAfter == HWND_NOTOPMOST || insertAfter == HWND_BOTTOM) {
        node->exStyle &= ~WS_EX_TOPMOST;
    }
    if (insertAfter == HWND_BOTTOM) {
        siblings.insert(siblings.begin(), node);
        return;
    }
    if (insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
        // Directly behind the given sibling.
        auto it = std::find_if(siblings.begin(), siblings.end(), [&](WindowNode* s) { return s->hwnd == insertAfter; });
        if (it != siblings.end()) {
            siblings.insert(it, node);
            return;
        }
    }
    // Top of its group: topmost windows stay above the others.
    auto firstTopmost = std::find_if(siblings.begin(), siblings.end(), [](WindowNode* s) { return s->IsTopmost(); });
    if (node->IsTopmost())
        siblings.push_back(node);
    else
        siblings.insert(firstTopmost, node);
}

bool WindowSystem::Destroy(HWND hwnd)
{
    WindowNode* node = Find(hwnd);
    if (!node || node->destroying)
        return false;
    // Windows being destroyed count as gone when the area is handed out, even to a paint that
    // their WM_DESTROY handlers cause.
    InvalidateAreaOf(node);
    bool wasTopLevel = node->parent == &m_desktop;
    DestroyRecursive(node);
    if (wasTopLevel)
        UpdateScreenVisibility();
    return true;
}

void WindowSystem::DestroyRecursive(WindowNode* node)
{
    node->destroying = true;
    std::erase(m_newlyShown, node);
    HWND hwnd = node->hwnd;
    if (node->parent == &m_desktop && m_topLevelObserver)
        m_topLevelObserver->TopLevelGone(hwnd);
    node->object->WindowProc(WM_DESTROY, 0, 0);
    // WM_DESTROY handlers may destroy children themselves; take them one at a time.
    while (true) {
        auto it = std::find_if(node->children.begin(), node->children.end(), [](WindowNode* c) { return !c->destroying; });
        if (it == node->children.end())
            break;
        DestroyRecursive(*it);
    }

    m_timers.KillAll(hwnd);
    m_queue.DropFor(hwnd);
    for (HWND* h : { &m_capture, &m_focus, &m_foreground, &m_mouseOwner, &m_lastDownWindow }) {
        if (*h == hwnd)
            *h = nullptr;
    }
    std::erase(node->parent->children, node);
    {
        std::lock_guard lock(m_liveMutex);
        m_live.erase(hwnd);
    }
    Window* object = node->object;
    m_drawnTexts.erase(hwnd);
    m_previousTexts.erase(hwnd);
    m_nodes.erase(hwnd);
    object->m_hWnd = nullptr;
    object->PostNcDestroy();
}

bool WindowSystem::IsEffectivelyVisible(const WindowNode* node) const
{
    for (; node && node != &m_desktop; node = node->parent) {
        if (!node->visible)
            return false;
    }
    return node == &m_desktop;
}

bool WindowSystem::IsEffectivelyVisible(HWND hwnd) const { return IsEffectivelyVisible(Find(hwnd)); }

bool WindowSystem::IsEffectivelyEnabled(const WindowNode* node) const
{
    for (; node && node != &m_desktop; node = node->parent) {
        if (!node->enabled)
            return false;
    }
    return true;
}

bool WindowSystem::Show(HWND hwnd, int command)
{
    WindowNode* node = Find(hwnd);
    if (!node)
        return false;
    bool wasVisible = node->visible;
    bool show = command != SW_HIDE;
    if (show == wasVisible) {
        if (show && command != SW_SHOWNA && node->parent == &m_desktop)
            m_foreground = hwnd;
        return wasVisible;
    }
    if (!show) {
        InvalidateAreaOf(node);
        node->visible = false;
        if (m_capture && !IsEffectivelyVisible(Find(m_capture)))
            ReleaseCapture();
        node->object->WindowProc(WM_SHOWWINDOW, 0, 0);
    } else {
        node->visible = true;
        node->object->WindowProc(WM_SHOWWINDOW, 1, 0);
        if (IsWindow(hwnd))
            GatherWhenHandedOut(node);
        if (command != SW_SHOWNA && node->parent == &m_desktop)
            m_foreground = hwnd;
    }
    if (node->parent == &m_desktop)
        UpdateScreenVisibility();
    return wasVisible;
}

void WindowSystem::UpdateScreenVisibility()
{
    bool any = std::any_of(m_desktop.children.begin(), m_desktop.children.end(), [](WindowNode* n) { return n->visible; });
    m_backend->SetScreenVisible(any);
}

bool WindowSystem::Enable(HWND hwnd, bool enable)
{
    WindowNode* node = Find(hwnd);
    if (!node)
        return false;
    bool wasDisabled = !node->enabled;
    if (node->enabled == enable)
        return wasDisabled;
    node->enabled = enable;
    if (!enable && m_capture && !IsEffectivelyEnabled(Find(m_capture)))
        ReleaseCapture();
    node->object->WindowProc(WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool WindowSystem::SetPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    WindowNode* node = Find(hwnd);
    if (!node)
        return false;
    if (!(flags & SWP_NOREDRAW))
        InvalidateAreaOf(node);
    RECT old = node->rect;
    if (!(flags & SWP_NOMOVE))
        node->rect = node->rect.Offset(x - node->rect.left, y - node->rect.top);
    if (!(flags & SWP_NOSIZE)) {
        node->rect.right = node->rect.left + std::max(cx, 0);
        node->rect.bottom = node->rect.top + std::max(cy, 0);
    }
    if (!(flags & SWP_NOZORDER))
        PlaceInZOrder(node, insertAfter);
    if (flags & SWP_HIDEWINDOW)
        Show(hwnd, SW_HIDE);

    bool moved = old.left != node->rect.left || old.top != node->rect.top;
    bool sized = old.Width() != node->rect.Width() || old.Height() != node->rect.Height();
    if (!(flags & SWP_NOREDRAW))
        InvalidateAreaOf(node);
    if (moved)
        node->object->WindowProc(WM_MOVE, 0, MAKELPARAM(node->rect.left, node->rect.top));
    if (sized && IsWindow(hwnd))
        node->object->WindowProc(WM_SIZE, 0, MAKELPARAM(node->rect.Width(), node->rect.Height()));
    if ((flags & SWP_SHOWWINDOW) && IsWindow(hwnd))
        Show(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    return true;
}

bool WindowSystem::SetShape(HWND hwnd, const Region* region, bool redraw)
{
    WindowNode* node = Find(hwnd);
    if (!node)
        return false;
    if (redraw)
        InvalidateAreaOf(node);
    if (region)
        node->shape = *region;
    else
        node->shape.reset();
    if (redraw)
        InvalidateAreaOf(node);
    return true;
}

POINT WindowSystem::ScreenOrigin(const WindowNode* node) const
{
    POINT p;
    for (; node && node != &m_desktop; node = node->parent) {
        p.x += node->rect.left;
        p.y += node->rect.top;
    }
    return p;
}

RECT WindowSystem::ScreenRect(HWND hwnd) const
{
    const WindowNode* node = Find(hwnd);
    if (!node)
        return {};
    POINT o = ScreenOrigin(node);
    return { o.x, o.y, o.x + node->rect.Width(), o.y + node->rect.Height() };
}

Region WindowSystem::ShapeInParent(const WindowNode* node) const
{
    if (!node->shape)
        return Region(node->rect);
    Region r = *node->shape;
    r.Intersect(node->ClientRect());
    r.Offset(node->rect.left, node->rect.top);
    return r;
}

std::vector<HWND> WindowSystem::TopLevelWindows() const { return Children(nullptr); }

std::vector<HWND> WindowSystem::Children(HWND hwnd) const
{
    const WindowNode* node = hwnd ? Find(hwnd) : &m_desktop;
    std::vector<HWND> out;
    if (node) {
        for (const WindowNode* c : node->children)
            out.push_back(c->hwnd);
    }
    return out;
}

HWND WindowSystem::FindWindow(const char* className, const WString* title) const
{
    for (const WindowNode* n : m_desktop.children) {
        if (className && n->className != className)
            continue;
        if (title && n->text != *title)
            continue;
        return n->hwnd;
    }
    return nullptr;
}

bool WindowSystem::SetForegroundWindow(HWND hwnd)
{
    WindowNode* node = Find(hwnd);
    while (node && node->parent != &m_desktop)
        node = node->parent;
    if (!node)
        return false;
    m_foreground = node->hwnd;
    return true;
}

void WindowSystem::SetFocus(HWND hwnd)
{
    if (hwnd == m_focus || (hwnd && !Find(hwnd)))
        return;
    HWND old = m_focus;
    m_focus = hwnd;
    if (old)
        Send(old, WM_KILLFOCUS, WPARAM(hwnd), 0);
    if (hwnd)
        Send(hwnd, WM_SETFOCUS, WPARAM(old), 0);
}

void WindowSystem::SetCapture(HWND hwnd)
{
    if (Find(hwnd))
        m_capture = hwnd;
}

void WindowSystem::ReleaseCapture()
{
    HWND old = m_capture;
    m_capture = nullptr;
    if (old)
        Send(old, WM_CAPTURECHANGED, 0, 0);
}
