#include "Contrast.h"

#include "platform/core/HexDigit.h"

#include <algorithm>
#include <cmath>

namespace contrast {

namespace {

constexpr double kLinearLimit = 0.03928;

double Linear(uint32_t channel)
{
    const double c = double(channel & 0xFF) / 255.0;
    return c <= kLinearLimit ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}

std::optional<uint32_t> ParseColor(std::string_view text)
{
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text.substr(1)) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | uint32_t(digit);
    }
    return value;
}

double RelativeLuminance(uint32_t rgb)
{
    return 0.2126 * Linear(rgb >> 16) + 0.7152 * Linear(rgb >> 8) + 0.0722 * Linear(rgb);
}

double Ratio(uint32_t a, uint32_t b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}
