#include "platform/tooling/Json.h"

#include "platform/core/Text.h"

#include <cstdio>

std::string JsonString(const std::string& utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
    }
    out += '"';
    return out;
}

std::string JsonString(const WString& text) { return JsonString(ToUtf8(text)); }

std::string JsonRect(const RECT& r)
{
    return "[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", "
        + std::to_string(r.bottom) + "]";
}

std::string JsonColor(COLORREF color)
{
    char out[8];
    std::snprintf(out, sizeof out, "#%02x%02x%02x", GetRValue(color), GetGValue(color), GetBValue(color));
    return '"' + std::string(out) + '"';
}
