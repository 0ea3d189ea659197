#include "AppFixture.h"

TEST_F(AppTest, StartupQueriesTheModuleASecondAfterTheAudioAndShutdownUndoesIt)
{
    app.SetCommandLine("");
    ASSERT_TRUE(app.InitInstance());
    // The trace's clock starts when the trace opens: read the times ("<ms> <topic> ...") of the raw lines.
    std::istringstream in(testenv::ReadFile(dir / "trace"));
    std::optional<uint64_t> audioAt, queryAt;
    for (std::string line; std::getline(in, line);) {
        if (line.find(" audio 8090 1") != std::string::npos)
            audioAt = std::stoull(line);
        if (line.find("serial-tx 77 01 01 05 72") != std::string::npos)
            queryAt = std::stoull(line);
    }
    ASSERT_TRUE(audioAt && queryAt);
    EXPECT_EQ(*audioAt, 1000u);
    EXPECT_EQ(*queryAt, 2000u);
    TakeTrace();
    std::vector<uint8_t> expected;
    for (const auto& command : { CommandBytes(0x05), CommandBytes(0x0C, { 14 }), CommandBytes(0x0D, { 4 }) })
        expected.insert(expected.end(), command.begin(), command.end());
    EXPECT_EQ(module.ReadAvailable(), expected);

    Frame().DestroyWindow();
    EXPECT_THAT(TakeTrace(), testing::Contains("audio 8090 2 0"));
}

struct LanguageCase {
    const char* name;
    const char* language;
    std::vector<std::string> removed; // from the device's language folder
    const char* connected; // the status text of a connected phone, none when the frame closed itself
    std::vector<std::string> boxes; // the warnings, each answered
};

class LanguageTest : public AppTest, public ::testing::WithParamInterface<LanguageCase> { };

TEST_P(LanguageTest, TheDeviceLanguageChoosesTheCatalogOrEnglishStandsIn)
{
    const LanguageCase& c = GetParam();
    setenv("OSTRILAN_LANG", c.language, 1);
    for (const std::string& file : c.removed)
        std::filesystem::remove(dir / "lang" / file);
    for (size_t i = 0; i < c.boxes.size(); ++i)
        AnswerMessageBox(Answer::Ok);
    app.SetCommandLine("");
    app.InitInstance();
    Idle();
    std::vector<std::string> boxes = TakeTrace("app messagebox CAUTION");
    for (std::string& box : boxes)
        box = box.substr(std::string("app messagebox ").size());
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(app.GetMainWnd() != nullptr, c.connected != nullptr);
    EXPECT_EQ(ToUtf8(TextTable::Text("MFRM0005")), c.connected ? c.connected : "");
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTest,
    ::testing::Values(LanguageCase { "German", "0x0407", {}, "Handy verbunden", {} },
        LanguageCase { "British", "0x0809", {}, "Mobile connected", {} },
        LanguageCase { "UnlistedVariant", "0x0C0C", {}, "Cellphone connected", {} },
        LanguageCase { "UnlistedLanguage", "0x0411", {}, "Cellphone connected", {} },
        LanguageCase { "GermanMissing", "0x0407", { "lang_ger.bin" }, "Cellphone connected",
            { "CAUTION: Language File NOT found!\\nEnglish mode on." } },
        LanguageCase { "EnglishMissing", "0x0409", { "lang_eng.bin" }, nullptr,
            { "CAUTION: Language File NOT found!\\nEnglish mode on.",
                "CAUTION: <lang_eng.bin> NOT found!" } }),
    [](const auto& info) { return std::string(info.param.name); });
