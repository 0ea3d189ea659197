#include "controller/CallerSpeech.h"

#include <gtest/gtest.h>

// Spoken through the helper: CallerSpeechTest.
TEST(CallerSpeech, SaysTheNameElseTheNumbersDigitsOneByOne)
{
    EXPECT_EQ(CallerSpeech::TextFor(WString(), "+49 (30) 12-3"), "+ 4 9 3 0 1 2 3");
    EXPECT_EQ(CallerSpeech::TextFor(std::nullopt, "*31#"), "* 3 1 #");
    EXPECT_EQ(CallerSpeech::TextFor(std::nullopt, "anonymous"), "");
}

TEST(CallerSpeech, EachInterfaceLanguageHasItsVoiceAndOthersHaveEnglish)
{
    // The first and last of the table, the regional ones and one ordinary language.
    const std::pair<LANGID, std::string> voices[] = { { 0x0405, "cs" }, { 0x0409, "en-us" },
        { 0x040C, "fr-fr" }, { 0x0419, "ru" }, { 0x0809, "en-gb" }, { 0x0816, "pt" } };
    for (const auto& [language, voice] : voices)
        EXPECT_EQ(CallerSpeech::VoiceFor(language), voice) << std::hex << language;
    // Japanese and Swiss German have no catalog: English, as the interface.
    EXPECT_EQ(std::string(CallerSpeech::VoiceFor(0x0411)), "en-us");
    EXPECT_EQ(std::string(CallerSpeech::VoiceFor(0x0807)), "en-us");
}
