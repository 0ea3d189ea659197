#pragma once

// Selects a font, a text colour and a background mode into a context for one block of drawing and
// puts the previous ones back when the block ends.

#include "platform/draw/DeviceContext.h"

class ScopedTextStyle {
public:
    ScopedTextStyle(HDC dc, const Font* font, COLORREF color, int bkMode = TRANSPARENT)
        : m_dc(dc)
        , m_font(dc->SelectFont(font))
        , m_color(dc->SetTextColor(color))
        , m_mode(dc->SetBkMode(bkMode))
    {
    }
    ~ScopedTextStyle()
    {
        m_dc->SetBkMode(m_mode);
        m_dc->SetTextColor(m_color);
        m_dc->SelectFont(m_font);
    }
    ScopedTextStyle(const ScopedTextStyle&) = delete;
    ScopedTextStyle& operator=(const ScopedTextStyle&) = delete;

private:
    HDC m_dc;
    const Font* m_font;
    COLORREF m_color;
    int m_mode;
};
