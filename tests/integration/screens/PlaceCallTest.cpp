#include "AppFixture.h"

#include "screens/DlgPlaceCall.h"

using ::testing::ElementsAre;

namespace {

using namespace skin::place;

const POINT kCallTile = Center(main::btn_callplace);
const POINT kDial = Center(placecall::btn_dial);
const POINT kCallHome = Center(placecall::btn_callhome);
const POINT kBackspace = Center(placecall::btn_pad_del);

}

class PlaceCallTest : public AppTest {
protected:
    // Up with a hands-free phone, the dial pad opened from the main view.
    void OpenPad()
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
        TapAt(kCallTile);
        ASSERT_NE(Pad(), nullptr);
        TakeTrace();
    }
    CDlgPlaceCall* Pad() const { return Screen<CDlgPlaceCall>(kScreenPlaceCall); }
    std::string Number() const { return ToUtf8(Frame().Context()->status.DialText()); }
};

TEST_F(PlaceCallTest, KeysTypeUpTo32CharactersAndTheFieldShowsTheLast15)
{
    OpenPad();
    EXPECT_EQ(Number(), "");
    Screenshot("place-call");
    Type(kPlaceCallPad, "*#0123456789");
    EXPECT_EQ(Number(), "*#0123456789");
    EXPECT_TRUE(ShowsText(*Pad(), "*#0123456789"));

    Type(kPlaceCallPad, "012345678901234567890");
    const std::string full = "*#0123456789012345678901234567890"; // 33 typed
    EXPECT_EQ(Number(), full.substr(0, 32));
    // All 32 slots are used: no terminating zero inside the dial string.
    EXPECT_NE(Frame().Context()->status.dialString.back(), '\0');
    EXPECT_TRUE(ShowsText(*Pad(), full.substr(17, 15)));
    Screenshot("place-call-number");

    TapAt(kBackspace);
    EXPECT_EQ(Number(), full.substr(0, 31));
    for (int i = 0; i < 33; ++i)
        TapAt(kBackspace);
    EXPECT_EQ(Number(), "");
    EXPECT_NE(Pad(), nullptr);

    // Call history opens over the pad; Return closes it.
    TapAt(Center(placecall::btn_callhist));
    EXPECT_THAT(TakeTrace("screen"), ElementsAre("screen open 2 CDlgCallHist"));
    EXPECT_NE(Pad(), nullptr);
    Frame().CloseScreen(kScreenCallHist);
    TapAt(Center(placecall::btn_gomain));
    EXPECT_THAT(
        TakeTrace("screen"), ElementsAre("screen close 2 CDlgCallHist", "screen close 1 CDlgPlaceCall"));
}

TEST_F(PlaceCallTest, DialAndCallHomeSayWhyTheyCannotStart)
{
    OpenPad();
    TapAt(kDial);
    Screenshot("place-call-no-number");
    TapAt(kCallHome);
    EXPECT_TRUE(ShowsText(*Pad(), "No home number set"));

    // The phone leaves the connected state while the pad is up.
    State(3);
    Type(kPlaceCallPad, "55");
    TapAt(kDial);
    EXPECT_TRUE(ShowsText(*Pad(), "Cellphone not ready for calls"));
    Frame().Context()->prefs.SetHomeNumber("0301234567");
    TapAt(kCallHome);
    // The home number replaced the typed one, although no call could start.
    EXPECT_EQ(Number(), "0301234567");
    Screenshot("place-call-home-not-ready");
    EXPECT_TRUE(TakeTrace("screen").empty());
}

// What was typed, '*' and '#' included, is overwritten by Call Home; the pad opens again empty.
TEST_F(PlaceCallTest, DialAndCallHomeStartTheCallAndHandOverToTheOutgoingScreen)
{
    PrefStore prefs;
    prefs.SetHomeNumber("0049301234567");
    ASSERT_TRUE(prefs.Save());
    OpenPad();
    for (auto [button, number] :
        { std::pair { kCallHome, "0049301234567" }, std::pair { kDial, "0171*99#" } }) {
        Type(kPlaceCallPad, "0171*99#");
        TapAt(button);
        EXPECT_EQ(Pad(), nullptr);
        ExpectCallPlaced(number, "1 CDlgPlaceCall");
        TapAt(kCallTile);
        TakeTrace();
    }
}
