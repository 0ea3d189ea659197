#include "platform/core/Text.h"

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

WString FromUtf8(std::string_view text)
{
    WString out;
    out.reserve(text.size());
    size_t i = 0;
    auto byte = [&](size_t k) { return uint8_t(text[k]); };
    while (i < text.size()) {
        uint8_t b = byte(i);
        uint32_t c = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b <= 0xF4) {
            size_t need = b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
            bool ok = true;
            uint32_t v = b & (0x3F >> need);
            for (size_t k = 1; ok && k <= need; ++k) {
                if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80)
                    ok = false;
                else
                    v = (v << 6) | (byte(i + k) & 0x3F);
            }
            if (ok && !(need == 2 && v < 0x800) && !(need == 3 && (v < 0x10000 || v > 0x10FFFF))
                && !(v >= 0xD800 && v <= 0xDFFF)) {
                c = v;
                len = need + 1;
            }
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
        i += len;
    }
    return out;
}

WString Widen(std::string_view ascii) { return WString(ascii.begin(), ascii.end()); }
