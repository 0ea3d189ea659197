// The bridge's report of the host's Bluetooth stack (indicator event 0x60, kind 1) played frame by
// frame: the screens without it or once ready, the values that count, and a change while Connect is
// open. Each state's text on the screens is shown with the simulator (HostStackSimTest).

#include "AppFixture.h"

#include "screens/DlgConnect.h"
#include "screens/DlgPairMode.h"

namespace {

using skin::place::Center;

constexpr uint8_t kOpPairedList = 0x0E;
constexpr uint8_t kEvIndicator = 0x60, kKindHostStack = 1;

const POINT kPairHandsFree = Center(skin::place::pairmode::btn_pairinghf);
const POINT kReturn = Center(skin::place::connect::btn_gomain);

class HostStackTest : public AppTest {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    void HostStack(uint8_t value) { Event(kEvIndicator, { kKindHostStack, value }); }
    std::string StatusLine() const { return ToUtf8(Frame().GetStatusLine()); }
    static std::string Hint(const DeviceListScreen& screen) { return ToUtf8(screen.HintText()); }
    // Opened, its list asked for and answered empty; the hint it then shows.
    std::string HintWithEmptyList(UINT kind)
    {
        Open<DeviceListScreen>(kind);
        Response(kOpPairedList, { 0, 0 });
        Sent();
        return Hint(*Screen<DeviceListScreen>(kind));
    }
    void Close(UINT kind)
    {
        Frame().CloseScreen(kind);
        Idle();
    }
};

}

TEST_F(HostStackTest, WithoutAReportOrOnceReadyTheScreensSayWhatTheyAlwaysSaid)
{
    for (bool reported : { false, true }) {
        SCOPED_TRACE(reported ? "ready reported after no adapter" : "never reported");
        if (reported) {
            HostStack(3);
            HostStack(0);
        }
        State(0);
        EXPECT_EQ(StatusLine(), "Bluetooth initializing...");
        EXPECT_EQ(HintWithEmptyList(kScreenConnect), "No paired devices, pair a cellphone first");
        Close(kScreenConnect);
        HintWithEmptyList(kScreenPairMode);
        TapAt(kPairHandsFree);
        EXPECT_EQ(Hint(*Screen<DeviceListScreen>(kScreenPairMode)), "Bluetooth is initializing, please wait");
        Close(kScreenPairMode);
        State(1);
        EXPECT_EQ(StatusLine(), "No cellphone connected");
    }
}

TEST_F(HostStackTest, OnlyKnownKindsAndValuesCountAndAPhoneLinkedKeepsItsStatus)
{
    State(0);
    HostStack(7);
    EXPECT_EQ(StatusLine(), "Hands-free not registered: restart ofono");
    // 8 is past the last state; another kind is a fact for later.
    HostStack(8);
    Event(kEvIndicator, { 2, 3 });
    EXPECT_EQ(StatusLine(), "Hands-free not registered: restart ofono");
    // With a phone linked the status line tells of the phone, and a report does not change it.
    State(4);
    HostStack(6);
    EXPECT_EQ(StatusLine(), "Cellphone connected");
}

TEST_F(HostStackTest, AChangeWhileConnectIsOpenReadsTheListAgainUnlessAWaitRuns)
{
    State(0);
    HostStack(3);
    EXPECT_EQ(HintWithEmptyList(kScreenConnect), "No Bluetooth adapter found: plug one in");
    // The adapter comes: the module turns idle and the bridge says it is ready.
    State(1);
    HostStack(0);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    Response(kOpPairedList, { 0, 0 });
    EXPECT_EQ(Hint(*Screen<DeviceListScreen>(kScreenConnect)), "No paired devices, pair a cellphone first");

    // While the list is read (Return disabled), another change sends nothing more.
    HostStack(6);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    HostStack(6);
    EXPECT_TRUE(Sent().empty());
    Response(kOpPairedList, { 0, 0 });
    EXPECT_EQ(Hint(*Screen<DeviceListScreen>(kScreenConnect)), "Phone service not running: start ofono");
    HostStack(7);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    // Return is disabled until the answer: nothing goes out for a change in the meantime.
    HostStack(6);
    EXPECT_TRUE(Sent().empty());
    TapAt(kReturn);
    EXPECT_NE(Screen<DeviceListScreen>(kScreenConnect), nullptr);
}
