#pragma once

// Splits what one automation client sends into command lines, with a bound on a line's length:
// a line longer than kMaxLine is not kept; its bytes up to the next newline are dropped and it is
// reported once as too long. Each byte is looked at once, so a client sending a line that never
// ends costs neither memory nor rescanning.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class AutomationLineReader {
public:
    static constexpr size_t kMaxLine = 4096;

    struct Line {
        std::string text;    // without the newline and a trailing carriage return
        bool tooLong = false; // the text is empty then
    };

    // Takes the bytes in; nothing is lost however they are cut.
    void Feed(std::string_view bytes);
    // The next whole line taken in, if any.
    std::optional<Line> Next();
    // Bytes kept for lines not yet whole: at most kMaxLine plus the lines already whole.
    size_t Buffered() const { return m_pending.size() + m_partial.size(); }

private:
    std::string m_partial;
    bool m_dropping = false;
    // Whole lines not yet taken, each ended by '\n'; a too-long line is a lone '\0' line.
    std::string m_pending;
    size_t m_pendingStart = 0;
};
