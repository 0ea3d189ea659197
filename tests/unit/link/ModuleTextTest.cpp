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

TEST(ModuleText, DecodesUtf8AndFallsBackToLatin1ByteByByte)
{
    EXPECT_EQ(Decode<40>("Anna"), u"Anna");
    EXPECT_EQ(Decode<40>("J\xC3\xBCrgen"), u"J\u00FCrgen");
    EXPECT_EQ(Decode<40>("J\xFCrgen"), u"J\u00FCrgen") << "a lone Latin-1 byte";
    EXPECT_EQ(Decode<40>("\xE2\x82\xAC 5"), u"\u20AC 5");
    EXPECT_EQ(Decode<40>("\xE2\x82"), u"\u00E2\u0082") << "a cut-off sequence is Latin-1";
    EXPECT_EQ(Decode<40>("\xC0\xAF"), u"\u00C0\u00AF") << "an overlong form is not UTF-8";
    EXPECT_EQ(Decode<40>("\xED\xA0\x80"), u"\u00ED\u00A0\u0080") << "an encoded surrogate is not UTF-8";
    EXPECT_EQ(Decode<40>("\xF0\x9F\x93\x9E"), u"\U0001F4DE");
}

TEST(ModuleText, EndsAtTheFirstZeroByte)
{
    EXPECT_EQ(Decode<40>(std::string_view("12\0"
                                          "34",
                  5)),
        u"12");
    EXPECT_EQ(Decode<40>(""), u"");
}

TEST(ModuleText, LimitsCountDecodedCharactersAndNeverSplitAPair)
{
    // 19 characters fit a 20-character field however many bytes they take.
    std::string umlauts;
    for (int i = 0; i < 25; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(Decode<20>(umlauts), WString(19, u'\u00E4'));
    EXPECT_EQ(Decode<20>(std::string(30, 'x')), WString(19, u'x'));
    // A character needing two units does not fit the last free unit.
    EXPECT_EQ(Decode<4>("ab\xF0\x9F\x93\x9E"), u"ab");
    EXPECT_EQ(Decode<5>("ab\xF0\x9F\x93\x9E"), u"ab\U0001F4DE");
}
