#pragma once

// The skinned push button: paints one frame of its image strip for its state (0 normal, 1 pressed
// or latched, 3 disabled; frame 2 is unused), optionally with a white caption, and plays the key
// click when released. Screens place it with Setup; nothing is drawn before that.

#include "platform/controls/Button.h"
#include "platform/draw/Bitmap.h"
#include "ui/SkinPlaces.h"

#include <functional>
#include <memory>

// One row of a screen's button table: the control id, where the skin puts it, and whether its
// pressed look stays after release (tabs, choices).
struct SkinnedButtonSpec {
    int id;
    const skin::place::Control& place;
    bool holdLook;
};

class CMyButton : public Button {
public:
    static constexpr int kFrameNormal = 0;
    static constexpr int kFramePressed = 1;
    static constexpr int kFrameDisabled = 3;

    CMyButton();
    ~CMyButton() override;

    // Keeps the (shared) strip, places the button and shows it. With holdLook a plain redraw keeps what
    // is shown, so a pressed look stays after release until the screen changes it.
    bool Setup(std::shared_ptr<const Bitmap> strip, int x, int y, int width, int height, const WString& caption,
        bool holdLook, bool clickSound);
    // The same with the strip and the place the skin gives the control.
    bool Setup(const skin::place::Control& place, const WString& caption, bool holdLook, bool clickSound);

    void DrawFrame(HDC dc, int frame);
    void DrawItem(DRAWITEMSTRUCT* item) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // A finger held on the button for holdMs asks onHeld; when it takes the press (true) the button
    // lets go at once and its release clicks nothing. Refused, the press goes on as a tap.
    void SetLongPress(UINT holdMs, std::function<bool()> onHeld);

    // Set by the owning screen for tabs, radio-like choices and mute; it repaints when it wants.
    void SetLatched(bool latched) { m_bLatched = latched; }
    bool IsLatched() const { return m_bLatched; }
    bool IsSetUp() const { return m_bSetUp; }
    const WString& Caption() const { return m_strCaption; }

private:
    void DrawCaption(HDC dc, const RECT& client);
    void OnHoldTimer();

    static constexpr UINT kHoldTimer = 1;

    bool m_bHoldLook = false;
    bool m_bClickSound = false;
    bool m_bLatched = false;
    bool m_bMouseDown = false;
    UINT m_nHoldMs = 0;
    std::function<bool()> m_onHeld;
    WString m_strCaption;
    bool m_bSetUp = false;
    std::shared_ptr<const Bitmap> m_pStrip;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nX = 0;
    int m_nY = 0;
};
