#include "DeviceScreenTest.h"

#include "platform/loop/Clock.h"
#include "screens/DlgConnect.h"
#include "ui/SkinPoints.h"

namespace {

namespace place = skin::place::connect;
using skin::place::Center;

constexpr POINT kReturnTap = Center(place::btn_gomain);
constexpr POINT kConnectTap = Center(place::btn_connect);
constexpr POINT kDisconnectTap = Center(place::btn_disconnect);
const std::vector<int> kControls { IDOK, CDlgConnect::kIdList, CDlgConnect::kIdConnect,
    CDlgConnect::kIdDisconnect };

constexpr uint8_t kOpConnect = 0x08;
constexpr uint8_t kOpDisconnect = 0x09;

const Address kPhone { 0x5B, 0x12, 0x34, 0x56, 0x78, 0x9A };
const Address kTablet { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x0F };

class ConnectTest : public DeviceScreenTest {
protected:
    CDlgConnect* OpenConnect() { return Open<CDlgConnect>(kScreenConnect); }
    CDlgConnect* Connect() { return Screen<CDlgConnect>(kScreenConnect); }

    // Opened with the phone and the tablet listed, the phone's name stored.
    CDlgConnect& OpenWithTwoRows()
    {
        StoreName(kPhone, "Pixel");
        OpenConnect();
        AnswerList({ kPhone, kTablet });
        Sent();
        return *Connect();
    }

    std::vector<int> Enabled() { return EnabledIds(*Connect(), kControls); }
};

}

TEST_F(ConnectTest, AsksForTheListOnFirstPaintAndGivesUpOnTheFourteenthTick)
{
    CDlgConnect* screen = OpenConnect();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpPairedList, {}) }));
    EXPECT_EQ(Hint(*screen), Text("CNMS0301"));
    EXPECT_TRUE(Enabled().empty());
    EXPECT_TRUE(ShowsText(*screen, "Address"));
    EXPECT_TRUE(ShowsText(*screen, "Name"));

    // Neither Return nor Escape leaves while the screen waits.
    TapAt(kReturnTap);
    screen->SendMessage(WM_COMMAND, IDCANCEL, 0);
    Idle();
    ASSERT_EQ(Connect(), screen);

    for (int tick = 1; tick <= 13; ++tick) {
        Advance(CDlgConnect::kListTimerMs);
        EXPECT_EQ(Hint(*screen), "Reading paired devices... " + std::to_string((tick - 1) / 4) + " s")
            << tick;
    }
    EXPECT_TRUE(Enabled().empty());
    Advance(CDlgConnect::kListTimerMs);
    EXPECT_EQ(Hint(*screen), Text("CNMS0401"));
    EXPECT_EQ(Enabled(), kControls);
    EXPECT_EQ(screen->DeviceList().GetItemCount(), 0);

    TapAt(kReturnTap);
    EXPECT_EQ(Connect(), nullptr);
}

TEST_F(ConnectTest, ListsPairedAddressesWithStoredNamesAndRebuildsOnANewName)
{
    CDlgConnect& screen = OpenWithTwoRows();
    EXPECT_EQ(
        Rows(screen.DeviceList()), (std::vector<std::string> { "5B123456789A|Pixel", "001A7DDA710F|" }));
    EXPECT_EQ(Hint(screen), Text("CNMS0502"));
    EXPECT_EQ(Enabled(), kControls);
    TapRow(0);
    Screenshot("connect-list");

    ReportName(kTablet, "Tablet \xC3\xA9");
    EXPECT_EQ(Rows(screen.DeviceList()),
        (std::vector<std::string> { "5B123456789A|Pixel", "001A7DDA710F|Tablet \xC3\xA9" }));
    EXPECT_EQ(Hint(screen), Text("CNMS0502"));
    EXPECT_EQ(Enabled(), kControls);

    // State reports set the hint line.
    State(3);
    EXPECT_EQ(Hint(screen), Text("CNMS0902"));
    State(7);
    EXPECT_EQ(Hint(screen), "");
}

TEST_F(ConnectTest, ListAnswersWithoutAddresses)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> answer;
        size_t rows;
        std::string hint;
    };
    const Case cases[] = {
        { "no paired device", { 0, 0 }, 0, Text("CNMS0501") },
        { "a failed answer", { 1 }, 0, "" },
        // The module's table holds eight: more give eight rows.
        { "nine devices", { 0, 9 }, 8, Text("CNMS0502") },
    };
    for (const Case& c : cases) {
        CDlgConnect* screen = OpenConnect();
        Response(kOpPairedList, c.answer);
        EXPECT_EQ(size_t(screen->DeviceList().GetItemCount()), c.rows) << c.what;
        EXPECT_EQ(Hint(*screen), c.hint) << c.what;
        EXPECT_EQ(Enabled(), kControls) << c.what;
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenConnect, 0);
    }
}

TEST_F(ConnectTest, ConnectNeedsASelectedAndFocusedRowAndNoConnectedPhone)
{
    CDlgConnect& screen = OpenWithTwoRows();
    const std::string hint = Hint(screen);
    TapAt(kConnectTap);
    screen.DeviceList().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED | LVIS_FOCUSED);
    TapAt(kConnectTap);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Hint(screen), hint);

    TapAt(kDisconnectTap);
    EXPECT_EQ(Hint(screen), Text("CNMS0201"));
    EXPECT_TRUE(Sent().empty());

    State(4);
    TapRow(1);
    TapAt(kConnectTap);
    EXPECT_EQ(Hint(screen), Text("CNMS0101"));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ConnectTest, ConnectSendsTheRowsAddressWaitsAndClosesASecondAfterTheLink)
{
    CDlgConnect& screen = OpenWithTwoRows();
    TapRow(0);
    TapAt(kConnectTap);
    // Profile selector 0 goes out as 1; the bytes are those read back from the row, first pair first.
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpConnect, { 1, 0x5B, 0x12, 0x34, 0x56, 0x78, 0x9A }) }));
    EXPECT_EQ(Hint(screen), Text("CNMS0103"));
    EXPECT_TRUE(Enabled().empty());
    TapAt(kReturnTap);
    ASSERT_EQ(Connect(), &screen);

    Response(kOpConnect, { 0 });
    EXPECT_EQ(Hint(screen), Text("CNMS0601"));
    EXPECT_TRUE(Enabled().empty());
    Screenshot("connect-waiting");

    DWORD before = GetTickCount();
    Link(2);
    EXPECT_EQ(Connect(), nullptr);
    EXPECT_GE(GetTickCount() - before, 1000u);
}

TEST_F(ConnectTest, EveryEndOfTheConnectWait)
{
    struct Case {
        const char* what;
        std::function<void()> end;
        std::string hint;
        bool closes;
    };
    const Case cases[] = {
        { "refused", [this] { Response(kOpConnect, { 5 }); }, Text("CNMS0602") + "No phone connected",
            false },
        { "link failed", [this] { Link(0); }, Text("CNMS0801"), false },
        { "no answer",
            [this] {
                Advance(11 * CDlgConnect::kConnectTimerMs);
                EXPECT_TRUE(Enabled().empty()) << "still waiting after eleven ticks";
                Advance(CDlgConnect::kConnectTimerMs);
            },
            Text("CNMS0403"), false },
        { "headset link", [this] { Link(1); }, "", true },
    };
    for (const Case& c : cases) {
        CDlgConnect& screen = OpenWithTwoRows();
        TapRow(1);
        TapAt(kConnectTap);
        ASSERT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpConnect }) << c.what;
        c.end();
        if (c.closes) {
            EXPECT_EQ(Connect(), nullptr) << c.what;
            continue;
        }
        EXPECT_EQ(Hint(screen), c.hint) << c.what;
        EXPECT_EQ(Enabled(), kControls) << c.what;
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenConnect, 0);
    }
}

TEST_F(ConnectTest, DisconnectWaitsForTheModuleOrItsTimeLimit)
{
    ConnectPhone();
    struct Case {
        const char* what;
        std::function<void()> end;
        std::string hint;
    };
    const Case cases[] = {
        { "refused", [this] { Response(kOpDisconnect, { 3 }); }, Text("CNMS0701") },
        { "idle again", [this] { State(1); }, Text("CNMS0901") },
        { "no answer", [this] { Advance(12 * CDlgConnect::kDisconnectTimerMs); }, Text("CNMS0404") },
    };
    for (const Case& c : cases) {
        CDlgConnect& screen = OpenWithTwoRows();
        State(4);
        TapAt(kDisconnectTap);
        EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpDisconnect, { 0 }) })) << c.what;
        EXPECT_EQ(Hint(screen), Text("CNMS0202")) << c.what;
        // An accepted request is not the end: the state report is.
        Response(kOpDisconnect, { 0 });
        EXPECT_EQ(Hint(screen), Text("CNMS0202")) << c.what;
        EXPECT_TRUE(Enabled().empty()) << c.what;
        c.end();
        EXPECT_EQ(Hint(screen), c.hint) << c.what;
        EXPECT_EQ(Enabled(), kControls) << c.what;
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenConnect, 0);
    }
}
