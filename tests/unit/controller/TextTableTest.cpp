#include "controller/TextTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(TextTable, HoldsOneBufferPerDistinctKeyInLoadOrder)
{
    const auto& keys = TextTable::Keys();
    std::set<std::string_view> distinct(keys.begin(), keys.end());
    EXPECT_EQ(distinct.size(), TextTable::kKeys);
    for (std::string_view key : keys)
        EXPECT_EQ(key.size(), 8u) << key;
    // Error texts first, in code order, since GetErrorText indexes them by status code.
    EXPECT_EQ(keys[0], "CERR0001");
    EXPECT_EQ(keys[16], "CERR0017");
    EXPECT_EQ(keys[17], "VIEW0001");
    EXPECT_EQ(keys[127], "HITB0003");
}

TEST(TextTable, LanguageFileFollowsOnlyTheListedIdentifiers)
{
    const std::pair<LANGID, std::u16string> cases[] = {
        { 0x0405, u"lang_cze.bin" },
        { 0x0407, u"lang_ger.bin" },
        { 0x0409, u"lang_eng.bin" },
        { 0x0809, u"lang_euk.bin" },
        { 0x040C, u"lang_fre.bin" },
        { 0x0816, u"lang_por.bin" },
        { 0x041D, u"lang_swe.bin" },
        // Variants and languages not in the table.
        { 0x0C0C, u"lang_eng.bin" },
        { 0x0411, u"lang_eng.bin" },
        { 0x0000, u"lang_eng.bin" },
        { 0xFFFF, u"lang_eng.bin" },
    };
    for (const auto& [language, file] : cases)
        EXPECT_EQ(TextTable::LanguageFile(language), file) << std::hex << language;
}
