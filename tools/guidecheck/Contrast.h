#pragma once

// Text contrast as the web's accessibility guidelines define it: the relative luminance of each
// sRGB colour, then (lighter + 0.05) / (darker + 0.05), from 1 (same colour) to 21 (black on white).

#include <cstdint>
#include <optional>
#include <string_view>

namespace contrast {

// "#rrggbb" as 0xRRGGBB; nullopt for anything else.
std::optional<uint32_t> ParseColor(std::string_view text);
double RelativeLuminance(uint32_t rgb);
double Ratio(uint32_t a, uint32_t b);

}
