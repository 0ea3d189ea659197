#include "AppFixture.h"

#include "controller/PhoneMessages.h"
#include "platform/draw/Surface.h"
#include "screens/DlgPref.h"
#include "store/PrefRecord.h"
#include "store/PrefStore.h"
#include "ui/CMyButton.h"
#include "ui/SkinPoints.h"
#include "controller/ScreenContext.h"

#include <cstring>

namespace {

using namespace skin::place;

constexpr POINT kReturn = Center(pref::btn_gomain);
constexpr POINT kChange = Center(pref::btn_changehome);
constexpr POINT kCancel = Center(pref::btn_cancelhome);
constexpr POINT kBackspace = Center(pref::btn_numpad_del);
constexpr POINT kAnswerOn = Center(pref::btn_answ_on);
constexpr POINT kAnswerOff = Center(pref::btn_answ_off);
constexpr POINT kRings[] = { Center(pref::btn_ring_1), Center(pref::btn_ring_2), Center(pref::btn_ring_3) };

class PrefTest : public AppTest {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    CDlgPref* Open() { return AppTest::Open<CDlgPref>(kScreenPref); }
    void Type(const std::string& keys)
    {
        for (char key : keys)
            TapAt(Center(PadKey(kPrefPad, key)));
    }
    // The record as PrefData.dat holds it now.
    PrefRecord Saved() const
    {
        PrefRecord record;
        std::string bytes = testenv::ReadFile(DataPath("PrefData.dat"));
        if (bytes.size() >= 256 + sizeof record)
            std::memcpy(&record, bytes.data() + 256, sizeof record);
        return record;
    }
    // The colour the number is drawn in, or 0 when it shows neither or both.
    COLORREF NumberColor()
    {
        int saved = 0, edited = 0;
        const RECT& r = CDlgPref::kNumberRect;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                uint32_t pixel = ws.Screen().Pixel(x, y) & 0xFFFFFF;
                saved += pixel == (Surface::FromColorRef(CDlgPref::kSavedColor) & 0xFFFFFF);
                edited += pixel == (Surface::FromColorRef(CDlgPref::kEditedColor) & 0xFFFFFF);
            }
        return (saved > 0) == (edited > 0) ? 0 : saved ? CDlgPref::kSavedColor : CDlgPref::kEditedColor;
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
    EXPECT_TRUE(ShowsText(*screen, "0301234567"));
    EXPECT_EQ(NumberColor(), CDlgPref::kSavedColor);
    Screenshot("preferences");

    // The field shows the last 12 characters in the edited colour.
    Type("4*#89");
    EXPECT_EQ(screen->HomeNumber(), "03012345674*#89");
    EXPECT_TRUE(ShowsText(*screen, "12345674*#89"));
    EXPECT_EQ(NumberColor(), CDlgPref::kEditedColor);
    Screenshot("preferences-editing");

    // Cancel brings the stored number back; nothing was saved.
    TapAt(kCancel);
    EXPECT_EQ(screen->HomeNumber(), "0301234567");
    EXPECT_EQ(NumberColor(), CDlgPref::kSavedColor);
    EXPECT_STREQ(Saved().homeNumber, "0301234567");

    TapAt(kBackspace);
    TapAt(kBackspace);
    EXPECT_EQ(NumberColor(), CDlgPref::kEditedColor);
    TapAt(kChange);
    EXPECT_STREQ(Saved().homeNumber, "03012345");
    EXPECT_EQ(NumberColor(), CDlgPref::kSavedColor);
    Type("9");
    EXPECT_EQ(NumberColor(), CDlgPref::kEditedColor);

    // 32 characters are kept, stored without a terminator; a 33rd is ignored.
    for (int i = 0; i < 10; ++i)
        TapAt(kBackspace);
    const std::string full = "12345678901234567890123456789012";
    Type(full + "5");
    EXPECT_EQ(screen->HomeNumber(), full);
    TapAt(kChange);
    EXPECT_EQ(std::string(Saved().homeNumber, PrefRecord::kHomeNumberSize), full);
    EXPECT_TRUE(ShowsText(*screen, "123456789012"));

    // Backspace stops at empty, and Change then stores an empty number.
    for (int i = 0; i < 33; ++i)
        TapAt(kBackspace);
    EXPECT_EQ(screen->HomeNumber(), "");
    TapAt(kChange);
    EXPECT_EQ(Saved().homeNumber[0], '\0');
}

TEST_F(PrefTest, ChoicesAreSavedAtOnceAndLatchedWhileAnUnchangedNumberIsLost)
{
    // A new store: automatic answer off, ring tone 0, shown as tone 1.
    CDlgPref* screen = Open();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(!Latched(CDlgPref::kIdAnswerOn) && Latched(CDlgPref::kIdAnswerOff));
    EXPECT_TRUE(Latched(CDlgPref::kIdRing1) && !Latched(CDlgPref::kIdRing2) && !Latched(CDlgPref::kIdRing3));

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
        EXPECT_EQ(Latched(CDlgPref::kIdAnswerOn), choice.autoAnswer == 1);
        EXPECT_EQ(Latched(CDlgPref::kIdAnswerOff), choice.autoAnswer == 0);
        for (int tone = 1; tone <= 3; ++tone)
            EXPECT_EQ(Latched(tone == 3 ? CDlgPref::kIdRing3 : CDlgPref::kIdRing1 + tone - 1),
                DWORD(tone) == std::max<DWORD>(choice.ringTone, 1));
    }
    Screenshot("preferences-choices");

    Type("555");
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
