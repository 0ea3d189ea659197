#pragma once

// A push button. It presses while the finger is on it, and a release on it sends BN_CLICKED to
// its parent. With BS_OWNERDRAW the parent (reflected back to DrawItem) draws every state: pressed
// and released through WM_DRAWITEM with ODA_SELECT, a paint with ODA_DRAWENTIRE; ODS_SELECTED
// marks pressed, ODS_GRAYED disabled. Otherwise it draws a plain captioned button itself.

#include "platform/controls/OwnerDraw.h"
#include "platform/win/Window.h"

constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_OWNERDRAW = 0x000B;
constexpr DWORD BS_TYPEMASK = 0x000F;

class Button : public Window {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool WantsDoubleClicks() const override { return true; }

    // The owner-draw entry; draws nothing unless a class overrides it.
    virtual void DrawItem(DRAWITEMSTRUCT* item) { }

    bool IsPressed() const { return m_pressed; }

private:
    bool IsOwnerDraw() const { return (GetStyle() & BS_TYPEMASK) == BS_OWNERDRAW; }
    void SetPressed(bool pressed);
    DRAWITEMSTRUCT DrawInfo(HDC dc, UINT action) const;
    void SendDrawItem(DRAWITEMSTRUCT& item);
    void Notify(UINT code);
    void PaintPlain(HDC dc);

    bool m_pressed = false;
    bool m_tracking = false;
};
