#include "ControllerFixture.h"

#include "controller/TextTable.h"
#include "platform/core/Text.h"
#include "platform/devices/LanguageLibrary.h"
#include "store/AppFolders.h"

#include <gmock/gmock.h>

#include <sstream>

using ::testing::ElementsAre;

namespace {

const std::string kGetState = "serial-tx 77 01 01 05 72";

// The trace time of a line: "<ms> <topic> ...".
uint64_t TimeOf(const std::string& line)
{
    return std::stoull(line);
}

}

TEST_F(ControllerTest, StartupQueriesTheModuleASecondAfterTheAudioAndShutdownUndoesIt)
{
    ASSERT_TRUE(StartFrame());
    // The trace's clock starts when the trace opens: read the times of the raw lines.
    std::istringstream in(testenv::ReadFile(dir / "trace"));
    std::string line;
    std::optional<uint64_t> audioAt, queryAt;
    while (std::getline(in, line)) {
        if (line.find(" audio 8090 1") != std::string::npos)
            audioAt = TimeOf(line);
        if (line.find(kGetState) != std::string::npos)
            queryAt = TimeOf(line);
    }
    ASSERT_TRUE(audioAt && queryAt);
    EXPECT_EQ(*audioAt, 1000u);
    EXPECT_EQ(*queryAt - *audioAt, 1000u);

    std::vector<std::string> lines = TakeTrace();
    EXPECT_THAT(Only(lines, "audio"), ElementsAre("audio 8090 1 0"));
    EXPECT_THAT(Only(lines, "reg"),
        ElementsAre("reg HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN\\RUN=dword:00000001"));
    std::vector<uint8_t> expected = CommandBytes(0x05);
    std::vector<uint8_t> volume = CommandBytes(0x0C, { 14 });
    expected.insert(expected.end(), volume.begin(), volume.end());
    EXPECT_EQ(module.ReadAvailable(), expected);
    EXPECT_TRUE(frame.IsWindowVisible());
    EXPECT_EQ(frame.GetWindowText(), u"Ostrilan_10001234");

    StopFrame();
    lines = TakeTrace();
    EXPECT_THAT(Only(lines, "audio"), ElementsAre("audio 8090 2 0"));
    EXPECT_THAT(Only(lines, "reg"),
        ElementsAre("reg HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN\\RUN=dword:00000000"));
    EXPECT_FALSE(frame.m_btModule.IsStarted());
    EXPECT_EQ(frame.m_pPhoneStatus, nullptr);
}

// ---- language ----

namespace {

WString TextOf(const char16_t* file, std::string_view key, const std::filesystem::path& langDir)
{
    auto library = LanguageLibrary::GetInstance();
    WCHAR buffer[256] = {};
    if (library->Open(FromUtf8((langDir / ToUtf8(file)).string())))
        library->GetText(key, buffer, 255);
    return buffer;
}

}

TEST_F(ControllerTest, DeviceLanguageChoosesTheLanguageFile)
{
    setenv("OSTRILAN_LANG", "0x0407", 1);
    ASSERT_TRUE(StartFrame());
    WString german = TextOf(u"lang_ger.bin", "MFRM0005", dir / "lang");
    ASSERT_FALSE(german.empty());
    EXPECT_NE(german, TextOf(u"lang_eng.bin", "MFRM0005", dir / "lang"));
    EXPECT_EQ(WString(TextTable::Text("MFRM0005")), german);
    EXPECT_TRUE(Only(TakeTrace(), "app messagebox").empty());
}

TEST_F(ControllerTest, UnlistedLanguageVariantLoadsEnglishWithoutWarning)
{
    setenv("OSTRILAN_LANG", "0x0C0C", 1);
    ASSERT_TRUE(StartFrame());
    EXPECT_EQ(WString(TextTable::Text("MFRM0005")), TextOf(u"lang_eng.bin", "MFRM0005", dir / "lang"));
    EXPECT_TRUE(Only(TakeTrace(), "app messagebox").empty());
}

TEST_F(ControllerTest, MissingLanguageFileWarnsOnceAndFallsBackToEnglish)
{
    setenv("OSTRILAN_LANG", "0x0407", 1);
    KeepLanguages({ "lang_eng.bin" });
    AnswerMessageBoxes(1);
    ASSERT_TRUE(StartFrame());
    std::vector<std::string> lines = TakeTrace();
    // The box's second line lands on a trace line of its own.
    EXPECT_THAT(Only(lines, "app messagebox"),
        ElementsAre("app messagebox CAUTION: Language File NOT found!\\nEnglish mode on.", "app messagebox answered 1"));
    EXPECT_EQ(WString(TextTable::Text("MFRM0005")),
        TextOf(u"lang_eng.bin", "MFRM0005", testenv::AppDir() / "lang"));
    EXPECT_EQ(Only(lines, "reg").size(), 1u);
}

TEST_F(ControllerTest, MissingEnglishFileWarnsTwiceAndTheFrameClosesItself)
{
    KeepLanguages({});
    AnswerMessageBoxes(2);
    ASSERT_TRUE(StartFrame());
    ws.Idle();
    std::vector<std::string> lines = TakeTrace();
    EXPECT_EQ(Only(lines, "app messagebox CAUTION").size(), 2u);
    EXPECT_THAT(Only(lines, "app messagebox CAUTION: <lang_eng.bin>"), ::testing::SizeIs(1));
    EXPECT_EQ(frame.GetSafeHwnd(), nullptr);
    // The run flag was never set; the shutdown clears it.
    EXPECT_THAT(Only(lines, "reg"),
        ElementsAre("reg HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN\\RUN=dword:00000000"));
    EXPECT_TRUE(TextTable::Text("MFRM0005")[0] == 0);
}
