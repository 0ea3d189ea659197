// The main view's status line between calls: the calls missed since the missed list was last on
// screen, with the last caller's name, and the linked phone by its stored name.

#include "AppFixture.h"

#include "screens/DlgAssistant.h"
#include "screens/DlgCallHist.h"
#include "screens/OstrilanView.h"

namespace {

using skin::place::Center;

constexpr POINT kStatusLine { 240, 245 };
const POINT kMissedTab = Center(skin::place::callhist::tab_bg[2]);
constexpr uint8_t kOpDeviceName = 0x0E, kSignal = 2, kAssistant = 7;

class MissedCallNoticeTest : public AppTest {
protected:
    void DropContact(const std::string& name, const std::string& number)
    {
        DropContacts("dropped.vcf", Card(name, "TEL:" + number + "\r\n"));
    }
    // A hands-free ring from the number (none: withheld) that stops unanswered; logged a second later.
    void MissCall(const std::string& number)
    {
        Rings(number);
        CallOver();
    }
    bool MainViewShows(const std::string& text) const { return ShowsText(*Frame().GetActiveView(), text); }
};

}

TEST_F(MissedCallNoticeTest, CountsFromOneToManyNamesTheLastCallerAndGivesWayToARing)
{
    DropContact("Sam Orwell", "5550001");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(KnowsCaller(u"5550001"));
    ConnectPhone();

    MissCall("5550001");
    EXPECT_EQ(StatusLine(), "1 missed call: Sam Orwell");
    MissCall("5550002");
    // The plural, with the number of a caller the contacts do not know.
    EXPECT_EQ(StatusLine(), "2 missed calls: 5550002");
    // A card dropped now names that caller on the line already shown.
    DropContact("Pat Doe", "5550002");
    EXPECT_TRUE(
        ws.PumpUntil([&] { return StatusLine() == "2 missed calls: Pat Doe"; }, kGenerousWait));
    MissCall("5550001");
    Screenshot("main-view-missed-calls");

    // A ring has the line. Answered on the phone, the history logs it with the missed calls, but it
    // was not missed: the notice comes back after it.
    Ring();
    State(5);
    EXPECT_EQ(StatusLine(), "Incoming call");
    State(6, 1);
    CallOver();
    EXPECT_EQ(History("MissedCall.dat").size(), 4u);
    EXPECT_EQ(StatusLine(), "3 missed calls: Sam Orwell");

    // A withheld number.
    Frame().CloseScreen(kScreenAll);
    MissCall("");
    EXPECT_EQ(StatusLine(), "4 missed calls: Unknown caller");

    // A second start on the same root keeps the notice.
    app.ExitInstance();
    Idle();
    TextTable::Clear();
    ASSERT_TRUE(Start());
    ConnectPhone();
    EXPECT_EQ(StatusLine(), "4 missed calls: Unknown caller");
}

TEST_F(MissedCallNoticeTest, ATapOpensTheMissedListAndOnlyThatListClearsTheNotice)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    MissCall("5550002");
    Frame().CloseScreen(kScreenAll);
    Idle();
    ASSERT_EQ(StatusLine(), "1 missed call: 5550002");
    // Just above the line.
    TapAt({ kStatusLine.x, 236 });
    EXPECT_EQ(Screen<CDlgCallHist>(kScreenCallHist), nullptr);
    // Without a phone the notice stays and the history stays shut, as its button does.
    State(1);
    EXPECT_EQ(StatusLine(), "1 missed call: 5550002");
    TapAt(kStatusLine);
    EXPECT_EQ(Screen<CDlgCallHist>(kScreenCallHist), nullptr);
    ConnectPhone();
    ASSERT_EQ(StatusLine(), "1 missed call: 5550002");

    // The history's own button opens the received list: the notice stays until the missed list shows.
    auto* history = Open<CDlgCallHist>(kScreenCallHist);
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(history->CurrentTab(), CDlgCallHist::kTabIncoming);
    EXPECT_EQ(StatusLine(), "1 missed call: 5550002");
    TapAt(kMissedTab);
    EXPECT_EQ(StatusLine(), "Cellphone connected");
    Frame().CloseScreen(kScreenCallHist);
    Idle();

    MissCall("5550003");
    Frame().CloseScreen(kScreenAll);
    Idle();
    ASSERT_EQ(StatusLine(), "1 missed call: 5550003");
    // The line's top row.
    TapAt({ kStatusLine.x, 237 });
    history = Screen<CDlgCallHist>(kScreenCallHist);
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(history->CurrentTab(), CDlgCallHist::kTabMissed);
    EXPECT_EQ(ToUtf8(history->CallList().GetItemText(0, 0)), "5550003");
    EXPECT_EQ(StatusLine(), "No active call");
    Frame().CloseScreen(kScreenCallHist);
    Idle();
    EXPECT_TRUE(MainViewShows("No active call"));
    // Nothing pending: the line is no button.
    TapAt(kStatusLine);
    EXPECT_EQ(Screen<CDlgCallHist>(kScreenCallHist), nullptr);
}

// Named on the status line and assistant's panel; the unnamed text is the connected view's picture.
TEST_F(MissedCallNoticeTest, TheLinkedPhoneIsNamedWhenItsNameIsStored)
{
    ASSERT_TRUE(Start());
    StorePhoneName(u"Road phone");
    ConnectPhone();
    Screenshot("main-view-phone-named");
    // The assistant's panel names it too.
    Indicator(kSignal, 4);
    Indicator(kAssistant, 1);
    const Window& panel = dynamic_cast<COstrilanView*>(Frame().GetActiveView())->AssistantPanel();
    ASSERT_TRUE(panel.IsWindowVisible());
    Screenshot("assistant");

    // A second named phone: which one is linked is not known until one is chosen on Connect.
    // The module's report of its name (length, address, name), as after pairing it.
    const std::string body = std::string("\x10\x11\x22\x33\x44\x55\x77") + "Work phone";
    Event(kOpDeviceName, std::vector<uint8_t>(body.begin(), body.end()));
    State(1);
    ConnectPhone();
    EXPECT_EQ(StatusLine(), "Cellphone connected");
}
