#include "link/ModuleText.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

namespace {

template <size_t N> WString Decode(std::string_view bytes)
{
    std::array<WCHAR, N> target;
    target.fill(u'#');
    ModuleText::Decode({ reinterpret_cast<const BYTE*>(bytes.data()), bytes.size() }, target);
    EXPECT_EQ(target[N - 1], 0) << "always terminated";
    return ModuleText::FromBuffer(target);
}

}

TEST(ModuleText, DecodesUtf8AndFallsBackToLatin1ByteByByteUpToTheFirstZero)
{
    const std::pair<std::string_view, WString> rows[] = {
        { "J\xC3\xBCrgen", u"J\u00FCrgen" },
        { "J\xFCrgen", u"J\u00FCrgen" }, // a lone Latin-1 byte
        { "\xE2\x82\xAC 5", u"\u20AC 5" },
        { "\xE2\x82", u"\u00E2\u0082" }, // a cut-off sequence
        { "\xC0\xAF", u"\u00C0\u00AF" }, // an overlong form
        { "\xED\xA0\x80", u"\u00ED\u00A0\u0080" }, // an encoded surrogate
        { "\xF0\x9F\x93\x9E", u"\U0001F4DE" },
        { std::string_view("12\00034", 5), u"12" }, // up to the zero only
        { "", u"" },
    };
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(Decode<40>(bytes), text) << testing::PrintToString(std::string(bytes));
}

TEST(ModuleText, LimitsCountDecodedCharactersAndNeverSplitAPair)
{
    // 19 characters fit a 20-character field however many bytes they take.
    std::string umlauts;
    for (int i = 0; i < 25; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(Decode<20>(umlauts), WString(19, u'\u00E4'));
    // A character needing two units does not fit the last free unit.
    EXPECT_EQ(Decode<4>("ab\xF0\x9F\x93\x9E"), u"ab");
    EXPECT_EQ(Decode<5>("ab\xF0\x9F\x93\x9E"), u"ab\U0001F4DE");
}
