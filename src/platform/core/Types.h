#pragma once

// The device's basic vocabulary: integer types, handles, points and rectangles, kept under the
// names the rest of the system was written against.

#include <cstdint>
#include <string>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using WCHAR = char16_t;
using COLORREF = uint32_t;

// Texts in memory are 16-bit wide strings, as on the device.
using WString = std::u16string;

// A window handle names a window without owning it. Handles are never reused, so a stale handle
// simply names no window.
struct HWND__;
using HWND = HWND__*;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16); }
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }

constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi) { return LPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16)); }
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return WPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16)); }
// Mouse coordinates are signed 16-bit values in the low and high words.
constexpr int GET_X_LPARAM(LPARAM l) { return int(int16_t(LOWORD(uintptr_t(l)))); }
constexpr int GET_Y_LPARAM(LPARAM l) { return int(int16_t(HIWORD(uintptr_t(l)))); }

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend bool operator==(const SIZE&, const SIZE&) = default;
};

// Right and bottom are exclusive.
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;

    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    RECT Offset(LONG dx, LONG dy) const { return { left + dx, top + dy, right + dx, bottom + dy }; }
    RECT Intersect(const RECT& o) const;
    bool Intersects(const RECT& o) const { return !Intersect(o).IsEmpty(); }
    // The smallest rectangle holding both; an empty rectangle adds nothing.
    RECT Union(const RECT& o) const;
    friend bool operator==(const RECT&, const RECT&) = default;
};

inline RECT RECT::Intersect(const RECT& o) const
{
    RECT r { left > o.left ? left : o.left, top > o.top ? top : o.top, right < o.right ? right : o.right,
        bottom < o.bottom ? bottom : o.bottom };
    return r.IsEmpty() ? RECT {} : r;
}

inline RECT RECT::Union(const RECT& o) const
{
    if (IsEmpty())
        return o;
    if (o.IsEmpty())
        return *this;
    return { left < o.left ? left : o.left, top < o.top ? top : o.top, right > o.right ? right : o.right,
        bottom > o.bottom ? bottom : o.bottom };
}

// One queued message, as the loop hands it to pre-translation and dispatch.
struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
