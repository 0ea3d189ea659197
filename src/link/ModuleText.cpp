#include "link/ModuleText.h"

#include <algorithm>

namespace {

// The code point of a well-formed UTF-8 sequence at the start of bytes, and its length; 0 when
// the sequence is malformed, overlong, a surrogate or beyond U+10FFFF.
size_t DecodeUtf8(std::span<const BYTE> bytes, char32_t& out)
{
    BYTE lead = bytes[0];
    size_t need;
    char32_t value;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() <= need)
        return 0;
    for (size_t k = 1; k <= need; ++k) {
        if ((bytes[k] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (bytes[k] & 0x3F);
    }
    bool overlong = (need == 2 && value < 0x800) || (need == 3 && value < 0x10000);
    if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    out = value;
    return need + 1;
}

}

void ModuleText::Decode(std::span<const BYTE> bytes, std::span<WCHAR> target)
{
    std::fill(target.begin(), target.end(), WCHAR(0));
    if (target.empty())
        return;
    bytes = bytes.first(std::min(bytes.size(), kScratchSize - 1));
    bytes = bytes.first(size_t(std::find(bytes.begin(), bytes.end(), BYTE(0)) - bytes.begin()));
    size_t room = target.size() - 1;
    size_t out = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        char32_t c = bytes[i];
        size_t used = c < 0x80 ? 1 : DecodeUtf8(bytes.subspan(i), c);
        if (used == 0)
            used = 1; // Latin-1: the byte is the code point
        if (c >= 0x10000) {
            if (out + 2 > room)
                break;
            c -= 0x10000;
            target[out++] = WCHAR(0xD800 + (c >> 10));
            target[out++] = WCHAR(0xDC00 + (c & 0x3FF));
        } else {
            if (out + 1 > room)
                break;
            target[out++] = WCHAR(c);
        }
        i += used;
    }
}

WString ModuleText::FromBuffer(std::span<const WCHAR> buffer)
{
    auto end = std::find(buffer.begin(), buffer.end(), WCHAR(0));
    return WString(buffer.begin(), end);
}
