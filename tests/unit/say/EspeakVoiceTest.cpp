// Speech made in memory as ostrilan-say makes it; the helper itself: CallerSpeechTest.

#include "EspeakVoice.h"
#include "support/TestEnv.h"
#include "support/WaveBuilder.h"

#include <gtest/gtest.h>

TEST(EspeakVoice, SaysANameInEachVoiceFallsBackToEnglishAndSaysWhyWithoutItsData)
{
    std::string error;
    std::optional<WaveData> english = EspeakVoice::Say("Sam Orwell", "en-us", {}, error);
    ASSERT_TRUE(english) << error;
    EXPECT_EQ(english->rate, 22050u);
    EXPECT_EQ(english->channels, 1);

    // A voice that does not exist speaks as "en" does, not as the voice before.
    std::optional<WaveData> unknown = EspeakVoice::Say("Sam Orwell", "xx-none", {}, error);
    ASSERT_TRUE(unknown) << error;
    std::optional<WaveData> fallback = EspeakVoice::Say("Sam Orwell", "en", {}, error);
    ASSERT_TRUE(fallback);
    EXPECT_NEAR(double(unknown->Frames()), double(fallback->Frames()), fallback->Frames() / 100.0);
    EXPECT_LT(fallback->Frames(), english->Frames() - english->Frames() / 20);

    // Nothing to say is no sound, with its reason.
    error.clear();
    EXPECT_FALSE(EspeakVoice::Say("", "en-us", {}, error));
    EXPECT_FALSE(error.empty());

    // Without its data it says why, and the library still serves the next one.
    testenv::TempDir empty;
    EXPECT_FALSE(EspeakVoice::Say("Sam Orwell", "en-us", empty.Path(), error));
    EXPECT_NE(error.find("espeak-ng"), std::string::npos) << error;
    EXPECT_TRUE(EspeakVoice::Say("Sam Orwell", "en-us", {}, error)) << error;
}

// 128 nines fit in 256 bytes and take about 45 s to say.
TEST(EspeakVoice, ALongTextIsCutAtTwentySeconds)
{
    std::string text;
    for (int i = 0; i < 128; ++i)
        text += "9 ";
    std::string error;
    std::optional<WaveData> wave = EspeakVoice::Say(text, "en-us", {}, error);
    ASSERT_TRUE(wave) << error;
    EXPECT_EQ(wave->Frames(), 22050u * 20);
}

// "99" ending 256 bytes is "ninety-nine", longer than the "9" of 255; "999" across the edge too.
TEST(EspeakVoice, TextsAreSaidUpTo256Bytes)
{
    const std::string spaces(252, ' ');
    auto frames = [&](const std::string& tail) {
        std::string error;
        std::optional<WaveData> wave = EspeakVoice::Say(spaces + tail, "en-us", {}, error);
        EXPECT_TRUE(wave) << error;
        return wave ? double(wave->Frames()) : 0.0;
    };
    const double nine = frames("1 9"), ninetyNine = frames("1 99"), crossing = frames("1 999");
    EXPECT_GT(ninetyNine, nine + 2205) << "a tenth of a second more for the 256th byte";
    EXPECT_NEAR(crossing, ninetyNine, 441);
}
