#pragma once

// A telephone number reduced to what identifies it, compared the way phones match a caller to a
// contact. Spaces, dashes, brackets, dots and slashes are ignored, as is a leading "tel:"; the
// number ends at a pause, an extension or any other character that is not part of a dialled
// number. An international number (+CC or 00CC) and its national form with the trunk prefix 0 are
// one number (+49 30 1234567 = 030 1234567); other numbers match on their longest common tail of
// at least kMinTailDigits digits. Short numbers (fewer significant digits than that, and service
// codes with * or #) match only when written the same.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class PhoneNumber {
public:
    enum class Form { International, National, Local };

    static constexpr size_t kMinTailDigits = 7;
    // Longer than any number in a numbering plan: such text is not a number and matches nothing.
    static constexpr size_t kMaxChars = 32;
    // Match's answer for two ways of writing one number; tails score their length, far below.
    static constexpr int kSameNumber = 1000;

    explicit PhoneNumber(std::string_view written);

    bool Empty() const { return m_text.empty(); }
    bool IsShort() const { return m_short; }
    Form GetForm() const { return m_form; }
    // The digits after the international prefix or the trunk prefix.
    const std::string& Digits() const { return m_digits; }
    // The number as dialled, separators removed ("+49301234567", "112", "*100#").
    const std::string& Text() const { return m_text; }
    // The last kMinTailDigits digits as one value: numbers that can match share it. Zero for a
    // short number.
    uint32_t TailKey() const { return m_tailKey; }

    // 0 when the numbers do not match, kSameNumber when they are one number, otherwise the length
    // of their common tail.
    static int Match(const PhoneNumber& a, const PhoneNumber& b);

private:
    std::string m_text;
    std::string m_digits;
    Form m_form = Form::Local;
    bool m_short = true;
    uint32_t m_tailKey = 0;
};
