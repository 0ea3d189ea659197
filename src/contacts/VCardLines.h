#pragma once

// The logical lines of vCard text: physical lines (LF or CRLF) joined where a line is folded (the
// next one starts with a space or tab) or where a quoted-printable value ends in a soft line break
// ('='). A leading byte order mark is skipped. Each physical line is looked at once, and a logical
// line never grows past its cap, so any text costs time linear in its size.

#include <cstddef>
#include <string>
#include <string_view>

class VCardLines {
public:
    VCardLines(std::string_view text, size_t maxLineBytes);

    // vCard 2.1 folds as mail headers do: the space that starts a continuation is part of the
    // value. Later versions insert it and take it out again.
    void SetFoldKeepsSpace(bool keep) { m_foldKeepsSpace = keep; }

    // False at the end of the text. A line longer than the cap comes back marked too long, its
    // contents incomplete.
    bool Next(std::string& line, bool& tooLong);

    // The position of the first `what` outside double quotes (parameter values may quote ':' and
    // ';'), or npos.
    static size_t FindUnquoted(std::string_view text, char what);

private:
    std::string_view Physical();

    std::string_view m_text;
    const size_t m_maxLineBytes;
    size_t m_pos = 0;
    bool m_foldKeepsSpace = false;
};
