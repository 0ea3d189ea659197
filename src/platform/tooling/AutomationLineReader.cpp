#include "platform/tooling/AutomationLineReader.h"

namespace {

constexpr char kTooLongMark = '\0';

}

void AutomationLineReader::Feed(std::string_view bytes)
{
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (!m_dropping) {
            if (m_partial.size() + piece.size() > kMaxLine) {
                m_partial.clear();
                m_dropping = true;
            } else {
                m_partial.append(piece);
            }
        }
        if (end == std::string_view::npos)
            return;
        if (m_dropping) {
            m_pending += kTooLongMark;
        } else {
            if (!m_partial.empty() && m_partial.back() == '\r')
                m_partial.pop_back();
            // A line holding the mark byte itself is taken as text without it.
            for (char c : m_partial) {
                if (c != kTooLongMark)
                    m_pending += c;
            }
        }
        m_pending += '\n';
        m_partial.clear();
        m_dropping = false;
        bytes.remove_prefix(end + 1);
    }
}

std::optional<AutomationLineReader::Line> AutomationLineReader::Next()
{
    if (m_pendingStart >= m_pending.size())
        return std::nullopt;
    const size_t end = m_pending.find('\n', m_pendingStart);
    Line line;
    std::string_view text(m_pending.data() + m_pendingStart, end - m_pendingStart);
    if (text.size() == 1 && text[0] == kTooLongMark)
        line.tooLong = true;
    else
        line.text = text;
    m_pendingStart = end + 1;
    if (m_pendingStart == m_pending.size()) {
        m_pending.clear();
        m_pendingStart = 0;
    }
    return line;
}
