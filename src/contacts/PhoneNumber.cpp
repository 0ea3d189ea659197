#include "contacts/PhoneNumber.h"

#include <algorithm>

namespace {

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '-' || c == '(' || c == ')' || c == '.' || c == '/' || c == '['
        || c == ']';
}

// Country codes have one to three digits.
constexpr size_t kMaxCountryDigits = 3;

}

PhoneNumber::PhoneNumber(std::string_view written)
{
    while (!written.empty() && IsSeparator(written.front()))
        written.remove_prefix(1);
    if (written.size() >= 4 && std::equal(written.begin(), written.begin() + 4, "tel:", [](char a, char b) {
            return (a | 0x20) == b;
        }))
        written.remove_prefix(4);

    bool service = false;
    for (char c : written) {
        if (IsSeparator(c))
            continue;
        bool digit = c >= '0' && c <= '9';
        if (!digit && c != '*' && c != '#' && !(c == '+' && m_text.empty()))
            break; // a pause, an extension, a parameter: not part of the number dialled
        service |= c == '*' || c == '#';
        m_text.push_back(c);
        if (m_text.size() > kMaxChars) {
            m_text.clear();
            return;
        }
    }
    std::string_view rest = m_text;
    if (rest.starts_with('+')) {
        m_form = Form::International;
        rest.remove_prefix(1);
    } else if (rest.starts_with("00")) {
        m_form = Form::International;
        rest.remove_prefix(2);
    } else if (rest.starts_with('0')) {
        m_form = Form::National;
        rest.remove_prefix(1);
    }
    m_digits = rest;
    m_short = service || m_digits.size() < kMinTailDigits;
    if (!m_short) {
        for (char c : std::string_view(m_digits).substr(m_digits.size() - kMinTailDigits))
            m_tailKey = m_tailKey * 10 + uint32_t(c - '0');
    }
}

int PhoneNumber::Match(const PhoneNumber& a, const PhoneNumber& b)
{
    if (a.Empty() || b.Empty())
        return 0;
    if (a.m_short || b.m_short)
        return a.m_text == b.m_text ? kSameNumber : 0;
    if (a.m_form == b.m_form && a.m_digits == b.m_digits)
        return kSameNumber;
    if (a.m_form != b.m_form && a.m_form != Form::Local && b.m_form != Form::Local) {
        const std::string& international = a.m_form == Form::International ? a.m_digits : b.m_digits;
        const std::string& national = a.m_form == Form::National ? a.m_digits : b.m_digits;
        size_t countryDigits = international.size() - std::min(international.size(), national.size());
        if (countryDigits >= 1 && countryDigits <= kMaxCountryDigits && international.ends_with(national))
            return kSameNumber;
    }
    auto [aEnd, bEnd]
        = std::mismatch(a.m_digits.rbegin(), a.m_digits.rend(), b.m_digits.rbegin(), b.m_digits.rend());
    size_t tail = size_t(aEnd - a.m_digits.rbegin());
    return tail >= kMinTailDigits ? int(tail) : 0;
}
