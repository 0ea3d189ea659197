#pragma once

// A colour with straight (not premultiplied) alpha, each channel 0..1, in sRGB as it is stored.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;

    static Rgba FromBytes(int r, int g, int b, int a = 255)
    {
        return { r / 255.f, g / 255.f, b / 255.f, a / 255.f };
    }
    // "#rrggbb" or "#rrggbbaa".
    static std::optional<Rgba> FromHex(const std::string& text);

    Rgba Mixed(Rgba other, float t) const
    {
        return { r + (other.r - r) * t, g + (other.g - g) * t, b + (other.b - b) * t, a + (other.a - a) * t };
    }
    Rgba WithAlpha(float alpha) const { return { r, g, b, alpha }; }
    Rgba Lighter(float t) const { return Mixed({ 1, 1, 1, a }, t); }
};

// A vertical gradient from top to bottom of whatever it fills; a plain colour has top == bottom.
struct Paint {
    Rgba top;
    Rgba bottom;

    static Paint Solid(Rgba c) { return { c, c }; }
    Paint Lighter(float t) const { return { top.Lighter(t), bottom.Lighter(t) }; }
    Rgba At(float t) const { return top.Mixed(bottom, std::clamp(t, 0.f, 1.f)); }
};
