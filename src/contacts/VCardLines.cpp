#include "contacts/VCardLines.h"

#include <algorithm>

namespace {

bool ContainsNoCase(std::string_view text, std::string_view upperWord)
{
    return std::search(text.begin(), text.end(), upperWord.begin(), upperWord.end(), [](char x, char y) {
        return ((x >= 'a' && x <= 'z') ? char(x - 'a' + 'A') : x) == y;
    }) != text.end();
}

}

VCardLines::VCardLines(std::string_view text, size_t maxLineBytes)
    : m_text(text)
    , m_maxLineBytes(maxLineBytes)
{
    if (m_text.starts_with("\xEF\xBB\xBF"))
        m_text.remove_prefix(3);
}

bool VCardLines::Next(std::string& line, bool& tooLong)
{
    if (m_pos >= m_text.size())
        return false;
    line.clear();
    tooLong = false;
    auto append = [&](std::string_view part) {
        if (tooLong || line.size() + part.size() > m_maxLineBytes)
            tooLong = true;
        else
            line.append(part);
    };
    std::string_view first = Physical();
    append(first);
    const bool quotedPrintable
        = ContainsNoCase(first.substr(0, FindUnquoted(first, ':')), "QUOTED-PRINTABLE");
    bool softBreak = quotedPrintable && first.ends_with('=');
    while (m_pos < m_text.size()) {
        char next = m_text[m_pos];
        if (softBreak) {
            if (!line.empty())
                line.pop_back();
            std::string_view part = Physical();
            append(part);
            softBreak = part.ends_with('=');
        } else if (next == ' ' || next == '\t') {
            std::string_view part = Physical();
            append(m_foldKeepsSpace ? part : part.substr(1));
            softBreak = quotedPrintable && part.ends_with('=');
        } else {
            break;
        }
    }
    return true;
}

size_t VCardLines::FindUnquoted(std::string_view text, char what)
{
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == what && !quoted)
            return i;
    }
    return std::string_view::npos;
}

std::string_view VCardLines::Physical()
{
    size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos)
        end = m_text.size();
    std::string_view line = m_text.substr(m_pos, end - m_pos);
    m_pos = end + 1;
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}
