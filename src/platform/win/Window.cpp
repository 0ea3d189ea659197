#include "platform/win/Window.h"

#include "platform/controls/OwnerDraw.h"
#include "platform/loop/Clock.h"
#include "platform/win/WindowSystem.h"

#include <cassert>
#include <cstdlib>
#include <cxxabi.h>
#include <mutex>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>

namespace {

WindowSystem& System()
{
    WindowSystem* system = WindowSystem::Current();
    assert(system && "no window system");
    return *system;
}

}

Window::~Window()
{
    if (m_hWnd && WindowSystem::Current())
        WindowSystem::Current()->Destroy(m_hWnd);
}

bool Window::Create(HWND parent, const RECT& rect, DWORD style, UINT id, const WString& text, DWORD exStyle)
{
    if (m_hWnd)
        return false;
    return System().CreateNode(this, parent, rect, style, id, text, exStyle) != nullptr;
}

bool Window::Create(Window* parent, const RECT& rect, DWORD style, UINT id, const WString& text, DWORD exStyle)
{
    return Create(parent ? parent->m_hWnd : nullptr, rect, style, id, text, exStyle);
}

bool Window::DestroyWindow() { return m_hWnd && System().Destroy(m_hWnd); }

Window* Window::FromHandle(HWND hwnd)
{
    WindowSystem* system = WindowSystem::Current();
    return system ? system->FromHandle(hwnd) : nullptr;
}

std::string Window::WindowClassName() const
{
    // Demangled once per class: a screen creates a few dozen windows each time it opens.
    static std::mutex lock;
    static std::unordered_map<std::type_index, std::string> names;
    const std::type_info& type = typeid(*this);
    std::lock_guard guard(lock);
    auto [it, added] = names.try_emplace(std::type_index(type));
    if (added) {
        const char* mangled = type.name();
        int status = 0;
        char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
        it->second = status == 0 && demangled ? demangled : mangled;
        std::free(demangled);
    }
    return it->second;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProc(message, wParam, lParam); }

LRESULT Window::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(&ps);
        EndPaint(&ps);
        return 0;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
        // Reflected to the control the request came from.
        Window* control = message == WM_DRAWITEM
            ? FromHandle(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem)
            : GetDlgItem(int(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID));
        LRESULT result = 0;
        if (control && control->OnChildNotify(message, wParam, lParam, &result))
            return result ? result : 1;
        return 0;
    }
    case WM_ERASEBKGND:
        if (!m_background)
            return 0;
        if (auto* dc = reinterpret_cast<DeviceContext*>(wParam)) {
            RECT client;
            GetClientRect(&client);
            dc->FillSolidRect(client, *m_background);
        }
        return 1;
    default:
        return 0;
    }
}

bool Window::ShowWindow(int command) { return m_hWnd && System().Show(m_hWnd, command); }

bool Window::IsWindowVisible() const { return m_hWnd && System().IsEffectivelyVisible(m_hWnd); }

bool Window::EnableWindow(bool enable) { return m_hWnd && System().Enable(m_hWnd, enable); }

bool Window::IsWindowEnabled() const
{
    const WindowNode* node = m_hWnd ? System().Node(m_hWnd) : nullptr;
    return node && node->enabled;
}

bool Window::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return m_hWnd && System().SetPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}

void Window::MoveWindow(const RECT& rect, bool repaint)
{
    SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | (repaint ? 0 : SWP_NOREDRAW));
}

void Window::GetClientRect(RECT* rect) const
{
    const WindowNode* node = m_hWnd ? System().Node(m_hWnd) : nullptr;
    *rect = node ? node->ClientRect() : RECT {};
}

void Window::GetWindowRect(RECT* rect) const { *rect = m_hWnd ? System().ScreenRect(m_hWnd) : RECT {}; }

void Window::SetWindowText(const WString& text)
{
    if (WindowNode* node = m_hWnd ? const_cast<WindowNode*>(System().Node(m_hWnd)) : nullptr) {
        node->text = text;
        System().NotifyTopLevelChanged(node);
        SendMessage(WM_SETTEXT, 0, 0);
    }
}

WString Window::GetWindowText() const
{
    const WindowNode* node = m_hWnd ? System().Node(m_hWnd) : nullptr;
    return node ? node->text : WString();
}

int Window::GetDlgCtrlID() const
{
    const WindowNode* node = m_hWnd ? System().Node(m_hWnd) : nullptr;
    return node ? int(node->id) : 0;
}

DWORD Window::GetStyle() const
{
    const WindowNode* node = m_hWnd ? System().Node(m_hWnd) : nullptr;
    return node ? node->style | (node->visible ? WS_VISIBLE : 0) | (node->enabled ? 0 : WS_DISABLED) : 0;
}

Window* Window::GetDlgItem(int id) const
{
    if (!m_hWnd)
        return nullptr;
    for (HWND child : System().Children(m_hWnd)) {
        const WindowNode* node = System().Node(child);
        if (node && int(node->id) == id)
            return node->object;
    }
    return nullptr;
}

Window* Window::GetParent() const
{
    const WindowNode* node = m_hWnd ? System().Node(m_hWnd) : nullptr;
    return node && node->parent ? node->parent->object : nullptr;
}

void Window::SetBackgroundColor(COLORREF color) { m_background = color; }

void Window::SetFocus() { System().SetFocus(m_hWnd); }

void Window::Invalidate(bool erase) { InvalidateRect(nullptr, erase); }

void Window::InvalidateRect(const RECT* rect, bool erase)
{
    if (WindowNode* node = System().Find(m_hWnd)) {
        Region area = rect ? Region(*rect) : Region(node->ClientRect());
        System().InvalidateNode(node, &area, erase);
    }
}

void Window::ValidateRect(const RECT* rect)
{
    if (WindowNode* node = System().Find(m_hWnd)) {
        Region area = rect ? Region(*rect) : Region(node->ClientRect());
        System().Validate(node, &area);
    }
}

void Window::UpdateWindow()
{
    if (WindowNode* node = System().Find(m_hWnd))
        System().PaintNow(node, false);
}

bool Window::RedrawWindow(const RECT* rect, const Region* region, UINT flags)
{
    WindowNode* node = System().Find(m_hWnd);
    if (!node)
        return false;
    Region area = region ? *region : rect ? Region(*rect) : Region(node->ClientRect());
    if (flags & (RDW_INVALIDATE | RDW_VALIDATE)) {
        std::vector<std::pair<WindowNode*, Region>> targets { { node, area } };
        for (size_t i = 0; i < targets.size(); ++i) {
            auto [n, a] = targets[i];
            if (flags & RDW_INVALIDATE)
                System().InvalidateNode(n, &a, (flags & RDW_ERASE) != 0);
            else
                System().Validate(n, &a);
            if (!(flags & RDW_ALLCHILDREN))
                continue;
            for (WindowNode* c : n->children) {
                Region ca = a;
                ca.Offset(-c->rect.left, -c->rect.top);
                targets.push_back({ c, ca });
            }
        }
    }
    if (flags & RDW_UPDATENOW)
        System().PaintNow(node, (flags & RDW_ALLCHILDREN) != 0);
    return true;
}

bool Window::SetWindowRgn(const Region* region, bool redraw) { return m_hWnd && System().SetShape(m_hWnd, region, redraw); }

UINT Window::SetTimer(UINT id, UINT elapseMs)
{
    if (!m_hWnd)
        return 0;
    System().m_timers.Set(m_hWnd, id, elapseMs, Clock::Current().NowMs());
    return id;
}

bool Window::KillTimer(UINT id) { return m_hWnd && System().m_timers.Kill(m_hWnd, id); }

LRESULT Window::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_hWnd ? System().Send(m_hWnd, message, wParam, lParam) : 0;
}

bool Window::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_hWnd && System().Post(m_hWnd, message, wParam, lParam);
}

HDC Window::BeginPaint(PAINTSTRUCT* ps)
{
    ps->context = System().BeginPaint(m_hWnd, ps);
    ps->hdc = ps->context.get();
    return ps->hdc;
}

void Window::EndPaint(PAINTSTRUCT* ps)
{
    ps->context.reset();
    ps->hdc = nullptr;
}

HDC Window::GetDC() { return System().ClientContext(m_hWnd).release(); }

Region Window::GetUpdateRegion() const { return System().UpdateRegion(m_hWnd); }

void Window::ReleaseDC(HDC dc) { delete dc; }
