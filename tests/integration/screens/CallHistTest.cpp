#include "AppFixture.h"

#include "screens/DlgCallHist.h"

namespace {

const char* const kFiles[] = { "IncomingCall.dat", "OutgoingCall.dat", "MissedCall.dat" };

namespace place = skin::place::callhist;
using skin::place::Center;

const POINT kDial = Center(place::btn_dial);
const POINT kDeleteOne = Center(place::btn_delselect);
const POINT kDeleteAll = Center(place::btn_delall);
const POINT kTabs[] = { Center(place::tab_bg[0]), Center(place::tab_bg[1]), Center(place::tab_bg[2]) };

class CallHistTest : public AppTest {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    ListView& List() const
    {
        return *dynamic_cast<ListView*>(
            Screen<CDlgCallHist>(kScreenCallHist)->GetDlgItem(CDlgCallHist::kIdList));
    }
    void TapRow(int row)
    {
        const RECT& list = place::list;
        Tap(list.left + 61, list.top + row * place::list_row_height + place::list_row_height / 2);
    }
};

}

TEST_F(CallHistTest, TabsListTheirOwnCallsNewestFirstWithTimesAndDurations)
{
    const std::string full(32, '7');
    WriteHistory(1, 0x01010103,
        { testenv::Record(1, "0301111", { 2026, 3, 6, 14, 12, 5 }, 3725),
            testenv::Record(1, "0302222", { 2025, 11, 0, 2, 0, 5 }, 360000),
            testenv::Record(1, full, { 2024, 1, 2, 9, 13, 5 }, 59) });
    WriteHistory(2, 0x01010104, { testenv::Record(2, "+4917012345", { 2026, 3, 0, 1, 23, 59 }) });
    WriteHistory(3, 0x01010105,
        { testenv::Record(3, "111", { 2026, 3, 5, 13, 8, 0 }, 7), testenv::Record(1, "222"), {},
            testenv::Record(3, "333", { 2026, 2, 6, 28, 19, 30 }) });

    ASSERT_NE(Open<CDlgCallHist>(kScreenCallHist), nullptr);
    Screenshot("history-incoming");

    TapAt(kTabs[1]);
    Screenshot("history-outgoing");

    TapAt(kTabs[2]);
    TapRow(1);
    Screenshot("history-missed");
}

TEST_F(CallHistTest, DialCallsTheSelectedNumberOnlyWhenAPhoneIsReady)
{
    WriteHistory(2, 0x01010104, { testenv::Record(2, "0301111", {}, 60), testenv::Record(2, "0302222", {}, 60) });
    CDlgCallHist* screen = Open<CDlgCallHist>(kScreenCallHist);
    ASSERT_NE(screen, nullptr);
    TapAt(kTabs[1]);

    TapAt(kDial);
    EXPECT_EQ(ToUtf8(screen->HintText()), "Select a call with a number");
    // A row, but no phone connected: nothing is stored and no screen changes.
    TapRow(1);
    TapAt(kDial);
    EXPECT_FALSE(std::filesystem::exists(DataPath("LastCall.dat")));
    EXPECT_EQ(Screen<CDlgCallHist>(kScreenCallHist), screen);
    Screenshot("history-not-ready");

    ConnectPhone();
    TakeTrace();
    TapAt(kDial);
    EXPECT_EQ(Screen<CDlgCallHist>(kScreenCallHist), nullptr);
    ExpectCallPlaced("0302222", "2 CDlgCallHist");
}

TEST_F(CallHistTest, DeleteAndDeleteAllRewriteTheFileAndReloadIt)
{
    WriteHistory(1, 0x01010103, { testenv::Record(1, "111"), testenv::Record(1, "222"), testenv::Record(1, "333") });
    WriteHistory(2, 0x0BADF00D, { testenv::Record(2, "999") });
    ASSERT_NE(Open<CDlgCallHist>(kScreenCallHist), nullptr);
    TapRow(1);
    TapAt(kDeleteOne);
    std::vector<CallRecord> file = History("IncomingCall.dat");
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[1].Number(), "333");
    EXPECT_EQ(List().GetItemCount(), 2);
    // With no row chosen Delete deletes nothing.
    TapAt(kDeleteOne);
    EXPECT_EQ(History("IncomingCall.dat").size(), 2u);

    TapAt(kDeleteAll);
    EXPECT_TRUE(History("IncomingCall.dat").empty());
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_EQ(List().GetColumnCount(), 3);

    // A foreign or missing file gives a list without columns; Delete All writes an empty one.
    for (int tab : { 1, 2 }) {
        TapAt(kTabs[tab]);
        EXPECT_EQ(List().GetColumnCount(), 0) << tab;
        TapAt(kDeleteOne);
        TapAt(kDeleteAll);
        EXPECT_EQ(std::filesystem::file_size(DataPath(kFiles[tab])), 2656u);
        EXPECT_EQ(List().GetColumnCount(), 3) << tab;
    }
}
