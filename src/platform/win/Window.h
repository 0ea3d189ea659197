#pragma once

// The base of every window: a C++ object bound to a window of the window system between Create
// and destruction of the window. Messages arrive in WindowProc; classes override it, handle what
// they know and pass the rest to the base class, which ends in DefWindowProc.

#include "platform/core/Messages.h"
#include "platform/core/Region.h"
#include "platform/draw/DeviceContext.h"

#include <memory>
#include <optional>
#include <string>

class WindowSystem;

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    bool fErase = false;
    RECT rcPaint;
    std::unique_ptr<DeviceContext> context;
};

class Window {
public:
    Window() = default;
    // Destroys the window if it still exists.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates the window (WM_CREATE is sent before this returns; -1 from it fails the creation).
    // Top-level windows have no parent; their rectangle is in screen coordinates.
    bool Create(HWND parent, const RECT& rect, DWORD style, UINT id = 0, const WString& text = {},
        DWORD exStyle = 0);
    bool Create(Window* parent, const RECT& rect, DWORD style, UINT id = 0, const WString& text = {},
        DWORD exStyle = 0);
    bool Create(std::nullptr_t, const RECT& rect, DWORD style, UINT id = 0, const WString& text = {},
        DWORD exStyle = 0)
    {
        return Create(HWND(nullptr), rect, style, id, text, exStyle);
    }
    // Destroys the window and its children (each gets WM_DESTROY); the object stays.
    bool DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    static Window* FromHandle(HWND hwnd);

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Sees posted messages, input and timers addressed to this window or its descendants before
    // they are dispatched; true swallows the message.
    virtual bool PreTranslateMessage(MSG* msg) { return false; }
    // The window has gone; windows that own themselves delete themselves here.
    virtual void PostNcDestroy() { }
    // The window class name other programs and the automation see; the C++ class name by default.
    virtual std::string WindowClassName() const;
    // A control's owner hands owner-draw requests (WM_DRAWITEM, WM_MEASUREITEM) back to the control
    // here; true when the control handled it.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }
    // Whether a quick second tap becomes WM_LBUTTONDBLCLK (a class style on the device).
    virtual bool WantsDoubleClicks() const { return false; }

    bool ShowWindow(int command);
    bool IsWindowVisible() const;
    bool EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    bool SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    void MoveWindow(const RECT& rect, bool repaint = true);
    void GetClientRect(RECT* rect) const;
    // In screen coordinates.
    void GetWindowRect(RECT* rect) const;
    void SetWindowText(const WString& text);
    WString GetWindowText() const;
    int GetDlgCtrlID() const;
    DWORD GetStyle() const;
    Window* GetDlgItem(int id) const;
    Window* GetParent() const;
    void SetBackgroundColor(COLORREF color);
    void SetFocus();

    void Invalidate(bool erase = true);
    void InvalidateRect(const RECT* rect, bool erase = true);
    void ValidateRect(const RECT* rect);
    // Paints the window now if it needs painting.
    void UpdateWindow();
    bool RedrawWindow(const RECT* rect, const Region* region, UINT flags);
    // Takes a copy of the region (window coordinates); nullptr restores the plain rectangle.
    bool SetWindowRgn(const Region* region, bool redraw);

    UINT SetTimer(UINT id, UINT elapseMs);
    bool KillTimer(UINT id);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    HDC BeginPaint(PAINTSTRUCT* ps);
    void EndPaint(PAINTSTRUCT* ps);
    // A context for the whole visible window, outside painting. Release it with ReleaseDC.
    HDC GetDC();
    void ReleaseDC(HDC dc);
    // The part of the client area waiting for a paint, in client coordinates.
    Region GetUpdateRegion() const;

protected:
    HWND m_hWnd = nullptr;

private:
    friend class WindowSystem;
    std::optional<COLORREF> m_background;
};
