#include "JsonValue.h"

#include <cstdlib>

namespace {

constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(const std::string& text)
        : m_text(text)
    {
    }

    bool Value(JsonValue& out, int depth)
    {
        Space();
        if (m_pos >= m_text.size() || depth > kMaxDepth)
            return false;
        char c = m_text[m_pos];
        if (c == '{')
            return Object(out, depth);
        if (c == '[')
            return Array(out, depth);
        if (c == '"') {
            out.kind = JsonValue::Kind::String;
            return String(out.text);
        }
        if (Word("true") || Word("false")) {
            out.kind = JsonValue::Kind::Bool;
            out.boolean = c == 't';
            return true;
        }
        if (Word("null"))
            return true;
        const char* start = m_text.c_str() + m_pos;
        char* end = nullptr;
        out.number = std::strtod(start, &end);
        if (end == start)
            return false;
        out.kind = JsonValue::Kind::Number;
        m_pos += size_t(end - start);
        return true;
    }

    bool AtEnd()
    {
        Space();
        return m_pos == m_text.size();
    }

private:
    void Space()
    {
        while (m_pos < m_text.size()
            && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n'
                || m_text[m_pos] == '\r'))
            ++m_pos;
    }

    bool Take(char c)
    {
        Space();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool Word(const char* word)
    {
        std::string w = word;
        if (m_text.compare(m_pos, w.size(), w) != 0)
            return false;
        m_pos += w.size();
        return true;
    }

    bool Object(JsonValue& out, int depth)
    {
        out.kind = JsonValue::Kind::Object;
        ++m_pos;
        if (Take('}'))
            return true;
        do {
            std::string name;
            Space();
            if (m_pos >= m_text.size() || m_text[m_pos] != '"' || !String(name) || !Take(':'))
                return false;
            if (!Value(out.members[name], depth + 1))
                return false;
        } while (Take(','));
        return Take('}');
    }

    bool Array(JsonValue& out, int depth)
    {
        out.kind = JsonValue::Kind::Array;
        ++m_pos;
        if (Take(']'))
            return true;
        do {
            out.items.emplace_back();
            if (!Value(out.items.back(), depth + 1))
                return false;
        } while (Take(','));
        return Take(']');
    }

    static void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }

    bool Hex4(unsigned& code)
    {
        if (m_pos + 4 > m_text.size())
            return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            char c = m_text[m_pos++];
            code <<= 4;
            if (c >= '0' && c <= '9')
                code |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                code |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                code |= unsigned(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    bool String(std::string& out)
    {
        ++m_pos;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos++];
            if (c == '"')
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size())
                return false;
            char e = m_text[m_pos++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u': {
                unsigned code = 0;
                if (!Hex4(code))
                    return false;
                // A surrogate pair stands for one character beyond the 16-bit range.
                if (code >= 0xD800 && code < 0xDC00 && m_text.compare(m_pos, 2, "\\u") == 0) {
                    m_pos += 2;
                    unsigned low = 0;
                    if (!Hex4(low))
                        return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, code);
                break;
            }
            default:
                out += e;
                break;
            }
        }
        return false;
    }

    const std::string& m_text;
    size_t m_pos = 0;
};

}

JsonValue JsonValue::Parse(const std::string& text)
{
    JsonValue value;
    Parser parser(text);
    if (!parser.Value(value, 0) || !parser.AtEnd())
        return {};
    return value;
}

const JsonValue& JsonValue::operator[](const std::string& name) const
{
    static const JsonValue null;
    auto it = members.find(name);
    return it == members.end() ? null : it->second;
}
