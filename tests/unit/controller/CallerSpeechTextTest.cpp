// What is said of a ringing caller, and in which voice.

#include "controller/CallerSpeech.h"

#include <gtest/gtest.h>

TEST(CallerSpeech, SaysTheNameElseTheNumbersDigitsOneByOne)
{
    EXPECT_EQ(CallerSpeech::TextFor(u"Åsa Öberg", "5550001"), "Åsa Öberg");
    EXPECT_EQ(CallerSpeech::TextFor(std::nullopt, "5550001"), "5 5 5 0 0 0 1");
    // An empty name is no name; signs a phone dials are kept, the rest is not said.
    EXPECT_EQ(CallerSpeech::TextFor(WString(), "+49 (30) 12-3"), "+ 4 9 3 0 1 2 3");
    EXPECT_EQ(CallerSpeech::TextFor(std::nullopt, "*31#"), "* 3 1 #");
    EXPECT_EQ(CallerSpeech::TextFor(std::nullopt, "anonymous"), "");
}

TEST(CallerSpeech, EachInterfaceLanguageHasItsVoiceAndOthersHaveEnglish)
{
    const std::pair<LANGID, std::string> voices[] = { { 0x0405, "cs" }, { 0x0406, "da" }, { 0x0407, "de" },
        { 0x0408, "el" }, { 0x0409, "en-us" }, { 0x040A, "es" }, { 0x040B, "fi" }, { 0x040C, "fr-fr" },
        { 0x040E, "hu" }, { 0x0410, "it" }, { 0x0413, "nl" }, { 0x0415, "pl" }, { 0x0418, "ro" },
        { 0x0419, "ru" }, { 0x041B, "sk" }, { 0x041D, "sv" }, { 0x0809, "en-gb" }, { 0x0816, "pt" } };
    for (const auto& [language, voice] : voices)
        EXPECT_EQ(CallerSpeech::VoiceFor(language), voice) << std::hex << language;
    // Japanese and Swiss German have no catalog: English, as the interface.
    EXPECT_EQ(std::string(CallerSpeech::VoiceFor(0x0411)), "en-us");
    EXPECT_EQ(std::string(CallerSpeech::VoiceFor(0x0807)), "en-us");
}
