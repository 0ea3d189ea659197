#include "Rgba.h"

std::optional<Rgba> Rgba::FromHex(const std::string& text)
{
    if (text.empty() || text[0] != '#' || (text.size() != 7 && text.size() != 9))
        return std::nullopt;
    int bytes[4] = { 0, 0, 0, 255 };
    for (size_t i = 1; i < text.size(); i += 2) {
        int value = 0;
        for (size_t k = i; k < i + 2; ++k) {
            char c = char(std::tolower(static_cast<unsigned char>(text[k])));
            int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + digit;
        }
        bytes[i / 2] = value;
    }
    return FromBytes(bytes[0], bytes[1], bytes[2], bytes[3]);
}
