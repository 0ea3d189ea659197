#pragma once

// A device context: somewhere to draw (a surface), an origin that maps the owner's coordinates
// onto it, and a clip region in surface coordinates outside which nothing is drawn. A window's
// context clips to what is visible of the window; a memory context to its bitmap. It also carries
// the text state (colour, background mode and colour, selected font) that drawing text uses.

#include "platform/core/Region.h"
#include "platform/draw/Surface.h"

#include <functional>

class Font;

enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };

// How a text was drawn: the font's line height and the widest line's width in pixels, the text's
// colour, and the colour under the middle of the text as it lay before the text was drawn (the
// fill colour when the background mode is opaque). Where the clip leaves that pixel out, the
// paint does not draw it and it still shows the last paint's text: `backgroundSeen` is false.
struct TextLook {
    int height = 0;
    int width = 0;
    COLORREF color = 0;
    COLORREF background = 0;
    bool backgroundSeen = true;
};

// Told of every text drawn through a context, with its rectangle in the context's coordinates.
// The automation collects what a window's last paint wrote through it.
using TextObserver = std::function<void(const WString& text, const RECT& rect, const TextLook& look)>;

class DeviceContext {
public:
    DeviceContext(Surface* target, POINT origin, Region clip);
    virtual ~DeviceContext() = default;
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    Surface* Target() const { return m_target; }
    POINT Origin() const { return m_origin; }
    const Region& Clip() const { return m_clip; }
    // The clip in the context's own coordinates.
    Region ClipInLogical() const;

    void FillSolidRect(const RECT& rect, COLORREF color);

    // Each setter returns the previous value so that callers can restore it.
    COLORREF SetTextColor(COLORREF color);
    COLORREF TextColor() const { return m_textColor; }
    COLORREF SetBkColor(COLORREF color);
    COLORREF BkColor() const { return m_bkColor; }
    int SetBkMode(int mode);
    int BkMode() const { return m_bkMode; }
    const Font* SelectFont(const Font* font);
    const Font* SelectedFont() const { return m_font; }

    void SetTextObserver(TextObserver observer) { m_textObserver = std::move(observer); }
    const TextObserver& GetTextObserver() const { return m_textObserver; }
    void NotifyText(const WString& text, const RECT& rect, const TextLook& look) const;

protected:
    void Retarget(Surface* target, POINT origin, Region clip);

private:
    Surface* m_target = nullptr;
    POINT m_origin;
    Region m_clip;
    COLORREF m_textColor = RGB(0, 0, 0);
    COLORREF m_bkColor = RGB(255, 255, 255);
    int m_bkMode = OPAQUE;
    const Font* m_font = nullptr;
    TextObserver m_textObserver;
};

using HDC = DeviceContext*;

inline COLORREF SetTextColor(HDC dc, COLORREF color) { return dc ? dc->SetTextColor(color) : 0; }
inline COLORREF SetBkColor(HDC dc, COLORREF color) { return dc ? dc->SetBkColor(color) : 0; }
inline int SetBkMode(HDC dc, int mode) { return dc ? dc->SetBkMode(mode) : 0; }
