#include "AppFixture.h"

#include "screens/DlgPref.h"

namespace {

using namespace skin::place;

const POINT kReturn = Center(pref::btn_gomain);
const POINT kChange = Center(pref::btn_changehome);
const POINT kCancel = Center(pref::btn_cancelhome);
const POINT kBackspace = Center(pref::btn_numpad_del);
const POINT kAnswerOn = Center(pref::btn_answ_on);
const POINT kAnswerOff = Center(pref::btn_answ_off);
const POINT kRings[] = { Center(pref::btn_ring_1), Center(pref::btn_ring_2), Center(pref::btn_ring_3) };

class PrefTest : public AppTest {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    CDlgPref* Open() { return AppTest::Open<CDlgPref>(kScreenPref); }
    // The record as PrefData.dat holds it now.
    PrefRecord Saved() const
    {
        PrefRecord record;
        std::string bytes = testenv::ReadFile(DataPath("PrefData.dat"));
        if (bytes.size() >= 256 + sizeof record)
            std::memcpy(&record, bytes.data() + 256, sizeof record);
        return record;
    }
    bool Latched(int id) const
    {
        return dynamic_cast<CMyButton*>(Screen<CDlgPref>(kScreenPref)->GetDlgItem(id))->IsLatched();
    }
};

}

TEST_F(PrefTest, HomeNumberIsTypedOnThePadAndTakenOverOnlyByChange)
{
    Frame().Context()->prefs.SetHomeNumber("0301234567");
    ASSERT_TRUE(Frame().Context()->prefs.Save());
    CDlgPref* screen = Open();
    ASSERT_NE(screen, nullptr);
    Screenshot("preferences");
    const std::string full = "12345678901234567890123456789012";
    struct Step {
        // Keys of the pad, then '<' Backspace, 'c' Cancel, '!' Change.
        std::string keys;
        std::string number;
        // The last 12 characters show.
        std::string shown;
        std::string saved;
    };
    // Each step follows the one before. 32 characters are kept, and stored without a terminator.
    const Step steps[] = {
        { "4*#89", "03012345674*#89", "12345674*#89", "0301234567" },
        { "c", "0301234567", "0301234567", "0301234567" },
        { "<<", "03012345", "03012345", "0301234567" },
        { "!", "03012345", "03012345", "03012345" },
        { "9", "030123459", "030123459", "03012345" },
        { std::string(10, '<') + full + "5!", full, "123456789012", full },
        { std::string(33, '<') + "!", "", "", "" },
    };
    for (const Step& step : steps) {
        for (char key : step.keys) {
            if (key == '<' || key == 'c' || key == '!')
                TapAt(key == '<' ? kBackspace : key == 'c' ? kCancel : kChange);
            else
                Type(kPrefPad, { &key, 1 });
        }
        EXPECT_EQ(screen->HomeNumber(), step.number) << step.keys;
        EXPECT_TRUE(step.shown.empty() || ShowsText(*screen, step.shown)) << step.keys;
        EXPECT_EQ(std::string(Saved().homeNumber, strnlen(Saved().homeNumber, 32)), step.saved) << step.keys;
        if (step.keys == "4*#89")
            Screenshot("preferences-editing");
    }
}

TEST_F(PrefTest, ChoicesAreSavedAtOnceAndShownAgainWhileAnUnchangedNumberIsLost)
{
    // A new store (automatic answer off, ring tone 0 shown as tone 1) is the first picture's.
    CDlgPref* screen = Open();
    ASSERT_NE(screen, nullptr);

    struct Choice {
        POINT at;
        DWORD autoAnswer;
        DWORD ringTone;
    };
    const Choice choices[] = { { kAnswerOn, 1, 0 }, { kRings[2], 1, 3 }, { kAnswerOff, 0, 3 },
        { kRings[0], 0, 1 }, { kRings[1], 0, 2 } };
    for (const Choice& choice : choices) {
        TapAt(choice.at);
        EXPECT_EQ(Saved().autoAnswer, choice.autoAnswer);
        EXPECT_EQ(Saved().ringTone, choice.ringTone);
    }
    Screenshot("preferences-choices");

    Type(kPrefPad, "555");
    TapAt(kReturn);
    EXPECT_EQ(Screen<CDlgPref>(kScreenPref), nullptr);
    screen = Open();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->HomeNumber(), "");
    EXPECT_TRUE(Latched(CDlgPref::kIdAnswerOff) && Latched(CDlgPref::kIdRing2));
}

TEST_F(PrefTest, HiddenSpotsAskTheModuleAndTheFrameShowsTheAnswers)
{
    ASSERT_NE(Open(), nullptr);
    Sent();
    // Both edges of each spot count; elsewhere a tap only sounds.
    const std::pair<POINT, std::vector<uint8_t>> spots[]
        = { { { 0, 242 }, { 0x02 } }, { { 30, 271 }, { 0x02 } }, { { 225, 242 }, { 0x41 } },
              { { 255, 271 }, { 0x41 } }, { { 31, 257 }, {} }, { { 224, 257 }, {} }, { { 150, 241 }, {} } };
    for (const auto& [at, sent] : spots) {
        TapAt(at);
        EXPECT_EQ(SentOpcodes(), sent) << at.x << "," << at.y;
    }

    // The frame shows each answer in its box; the trace has the box's text.
    TakeTrace();
    AnswerMessageBox(Answer::Ok);
    Response(0x02, { 0, 'V', '2', '.', '1' });
    AnswerMessageBox(Answer::Ok);
    Response(0x41, { 0, 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13 });
    EXPECT_EQ(TakeTrace("app messagebox Ostrilan"),
        (std::vector<std::string> { R"(app messagebox Ostrilan: Bluetooth Module Firmware version :\n[V2.1])",
            R"(app messagebox Ostrilan: Bluetooth Module Addr :\n[(00 1A 7D) - DA 71 13])" }));
}
