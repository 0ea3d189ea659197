#pragma once

// A device context: somewhere to draw (a surface), an origin that maps the owner's coordinates
// onto it, and a clip region in surface coordinates outside which nothing is drawn. A window's
// context clips to what is visible of the window; a memory context to its bitmap.

#include "platform/core/Region.h"
#include "platform/draw/Surface.h"

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

protected:
    void Retarget(Surface* target, POINT origin, Region clip);

private:
    Surface* m_target = nullptr;
    POINT m_origin;
    Region m_clip;
};

using HDC = DeviceContext*;
