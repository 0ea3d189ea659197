#pragma once

// A memory device context: draws into whichever bitmap is selected into it, clipped to that
// bitmap. With no bitmap selected it draws nothing.

#include "platform/draw/Bitmap.h"
#include "platform/draw/DeviceContext.h"

#include <memory>

class MemoryDC : public DeviceContext {
public:
    MemoryDC();

    // Returns the bitmap selected before, so that the caller can put it back.
    Bitmap* SelectBitmap(Bitmap* bitmap);
    Bitmap* SelectedBitmap() const { return m_bitmap; }

private:
    Bitmap* m_bitmap = nullptr;
};

// A memory context for drawing that will end up on the given context. It takes over the text
// observer, so texts drawn off-screen during a paint are reported as the window's own.
std::unique_ptr<MemoryDC> CreateCompatibleDC(HDC dc);

inline Bitmap* SelectObject(MemoryDC* dc, Bitmap* bitmap) { return dc ? dc->SelectBitmap(bitmap) : nullptr; }
inline const Font* SelectObject(HDC dc, const Font* font) { return dc ? dc->SelectFont(font) : nullptr; }
