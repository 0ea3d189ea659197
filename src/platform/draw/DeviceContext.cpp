#include "platform/draw/DeviceContext.h"

#include <utility>

DeviceContext::DeviceContext(Surface* target, POINT origin, Region clip)
{
    Retarget(target, origin, std::move(clip));
}

void DeviceContext::Retarget(Surface* target, POINT origin, Region clip)
{
    m_target = target;
    m_origin = origin;
    m_clip = std::move(clip);
    if (m_target)
        m_clip.Intersect(m_target->Bounds());
}

Region DeviceContext::ClipInLogical() const
{
    Region r = m_clip;
    r.Offset(-m_origin.x, -m_origin.y);
    return r;
}

void DeviceContext::FillSolidRect(const RECT& rect, COLORREF color)
{
    if (!m_target)
        return;
    RECT onSurface = rect.Offset(m_origin.x, m_origin.y);
    uint32_t pixel = Surface::FromColorRef(color);
    for (const RECT& clip : m_clip.Rects())
        m_target->Fill(onSurface.Intersect(clip), pixel);
}

COLORREF DeviceContext::SetTextColor(COLORREF color)
{
    return std::exchange(m_textColor, color);
}

COLORREF DeviceContext::SetBkColor(COLORREF color)
{
    return std::exchange(m_bkColor, color);
}

int DeviceContext::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return std::exchange(m_bkMode, mode);
}

const Font* DeviceContext::SelectFont(const Font* font)
{
    return std::exchange(m_font, font);
}

void DeviceContext::NotifyText(const WString& text, const RECT& rect, const TextLook& look) const
{
    if (m_textObserver)
        m_textObserver(text, rect, look);
}
