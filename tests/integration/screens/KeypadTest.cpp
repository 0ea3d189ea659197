#include "CallScreenSteps.h"

#include "screens/DlgIncoming.h"
#include "ui/SkinPoints.h"

namespace {

constexpr POINT kNum = skin::place::Center(skin::place::incoming::btn_go_num);
constexpr uint8_t kOpSendDtmf = 0x17;

class KeypadTest : public CallScreenTest {
protected:
    // An answered incoming call with its keypad shown.
    CDlgNumKeypad* InCallWithKeypad()
    {
        EXPECT_TRUE(Start());
        ConnectPhone();
        Ring();
        State(6, 1);
        CallerId("01712345678");
        Sent();
        CDlgIncoming* screen = Screen<CDlgIncoming>(kScreenIncoming);
        if (!screen)
            return nullptr;
        Tap(kNum.x, kNum.y);
        return KeypadOf(*screen);
    }
};

// Each key reaches the parent, which sends its tone; the first replaces the caller's number and
// the field keeps the last eleven.
TEST_F(KeypadTest, KeysPostTheirCharactersToTheCallScreen)
{
    CDlgNumKeypad* keypad = InCallWithKeypad();
    ASSERT_NE(keypad, nullptr);
    EXPECT_TRUE(keypad->IsWindowVisible());
    Screenshot("incoming-keypad");
    TapKeys("12345*67890#");
    std::string tones;
    for (const ModuleFrame& frame : Sent()) {
        EXPECT_EQ(frame.Opcode(), kOpSendDtmf);
        tones += BodyText(frame);
    }
    EXPECT_EQ(tones, "12345*67890#");
    auto* screen = Screen<CDlgIncoming>(kScreenIncoming);
    EXPECT_TRUE(ShowsText(*screen, "2345*67890#"));
    EXPECT_FALSE(ShowsText(*screen, "01712345678"));
}

// The countdown restarts on a key but the timer does not: the keypad goes on the seventh tick
// after the last key, six to seven seconds later. The close button hides it at once.
TEST_F(KeypadTest, HidesSixToSevenSecondsAfterTheLastKeyOrOnClose)
{
    CDlgNumKeypad* keypad = InCallWithKeypad();
    ASSERT_NE(keypad, nullptr);
    Advance(2'500);
    TapKeys("5");
    Advance(6'000);
    EXPECT_TRUE(keypad->IsWindowVisible());
    Advance(1'000);
    EXPECT_FALSE(keypad->IsWindowVisible());

    Tap(kNum.x, kNum.y);
    Sent();
    TapKeys("x");
    EXPECT_FALSE(keypad->IsWindowVisible());
    EXPECT_TRUE(Sent().empty());
}

}
