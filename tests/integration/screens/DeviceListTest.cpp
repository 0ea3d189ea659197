// The connect and pair mode screens, and what they say of the host's Bluetooth stack as the bridge
// reports it (indicator event 0x60, kind 1).

#include "AppFixture.h"

#include "screens/DlgConnect.h"
#include "screens/DlgPairMode.h"
#include "store/PairStore.h"

namespace {

using skin::place::Center;
using Address = std::array<uint8_t, 6>;
using Frames = std::vector<std::vector<uint8_t>>;
using Ids = std::vector<int>;
using Rows = std::vector<std::string>;

constexpr uint8_t kOpStartPairing = 0x07, kOpConnect = 0x08, kOpDisconnect = 0x09, kOpCancelPairing = 0x0A,
                  kOpPairedList = 0x0E, kOpDeletePairing = 0x0F;
constexpr uint8_t kKindHostStack = 1;

const Address kPhone { 0x5B, 0x12, 0x34, 0x56, 0x78, 0x9A };
const Address kTablet { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x0F };

const Ids kConnectIds { IDOK, CDlgConnect::kIdList, CDlgConnect::kIdConnect, CDlgConnect::kIdDisconnect };
const Ids kPairIds { IDOK, CDlgPairMode::kIdList, CDlgPairMode::kIdPairHandsFree, CDlgPairMode::kIdDelete,
    CDlgPairMode::kIdCancel, CDlgPairMode::kIdPairHeadset };

const POINT kReturn = Center(skin::place::connect::btn_gomain);
const POINT kConnect = Center(skin::place::connect::btn_connect);
const POINT kDisconnect = Center(skin::place::connect::btn_disconnect);
const POINT kPairHandsFree = Center(skin::place::pairmode::btn_pairinghf);
const POINT kPairHeadset = Center(skin::place::pairmode::btn_pairinghs);
const POINT kCancelPairing = Center(skin::place::pairmode::btn_cancelpair);
const POINT kDelete = Center(skin::place::pairmode::btn_delpair);

class DeviceScreenTest : public AppTest {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    DeviceListScreen* Shown(UINT kind) const { return Screen<DeviceListScreen>(kind); }
    static std::string Hint(const DeviceListScreen& screen) { return ToUtf8(screen.HintText()); }
    // "address|name" per row.
    static Rows RowsOf(DeviceListScreen& screen)
    {
        Rows rows;
        for (int i = 0; i < screen.DeviceList().GetItemCount(); ++i)
            rows.push_back(ToUtf8(screen.DeviceList().GetItemText(i, 0) + u"|" + screen.DeviceList().GetItemText(i, 1)));
        return rows;
    }
    // Those of the ids whose controls take input.
    Ids Enabled(UINT kind, const Ids& ids) const
    {
        Ids enabled;
        for (int id : ids) {
            Window* control = Shown(kind)->GetDlgItem(id);
            if (control && control->IsWindowEnabled())
                enabled.push_back(id);
        }
        return enabled;
    }
    // The module's answer: the count, then one event per address.
    void AnswerList(const std::vector<Address>& addresses)
    {
        Response(kOpPairedList, { 0, uint8_t(addresses.size()) });
        for (const Address& address : addresses)
            Event(0x0D, { address.begin(), address.end() });
    }
    // Opened in main state 1 with the phone (its name stored) and the tablet listed.
    DeviceListScreen& OpenWithTwoRows(UINT kind)
    {
        PairStore store;
        store.Load();
        store.Add(kPhone.data());
        store.SetName(kPhone.data(), u"Pixel");
        EXPECT_TRUE(store.Save());
        State(1);
        Open<DeviceListScreen>(kind);
        AnswerList({ kPhone, kTablet });
        Sent();
        return *Shown(kind);
    }
    // Both lists start at y 82 with rows 27 high, and x 150 is inside them.
    void TapRow(int row) { Tap(150, 82 + row * 27 + 13); }

    void HostStack(uint8_t value) { Indicator(kKindHostStack, value); }
    // Opened, its list asked for and answered empty; the hint it then shows.
    std::string HintWithEmptyList(UINT kind)
    {
        Open<DeviceListScreen>(kind);
        Response(kOpPairedList, { 0, 0 });
        Sent();
        return Hint(*Shown(kind));
    }
};

using HostStackTest = DeviceScreenTest;

struct DeviceCase {
    const char* name;
    UINT kind;
    Ids controls;
    // The hints for an empty list, a failed answer and nine devices (one more than the module's
    // table holds); the rows nine give. Two listed show in the picture.
    const char* empty;
    const char* failed;
    const char* nine;
    int nineRows;
    const char* screenshot;
};

const DeviceCase kDeviceCases[] = {
    { "Connect", kScreenConnect, kConnectIds, "No paired devices, pair a cellphone first", "",
        "Select a device and press Connect", 8, "connect-list" },
    { "PairMode", kScreenPairMode, kPairIds, "No paired devices", "Could not read the paired devices",
        "Could not read the paired devices", 0, "pair-mode-list" },
};

void PrintTo(const DeviceCase& c, std::ostream* os) { *os << c.name; }

class DeviceListTest : public DeviceScreenTest, public ::testing::WithParamInterface<DeviceCase> { };

TEST_P(DeviceListTest, AsksForTheListOnFirstPaintAndGivesUpOnTheFourteenthQuarterSecond)
{
    const DeviceCase& c = GetParam();
    DeviceListScreen* screen = Open<DeviceListScreen>(c.kind);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpPairedList) }));
    EXPECT_EQ(Hint(*screen), "Reading paired devices...");
    EXPECT_TRUE(Enabled(c.kind, c.controls).empty());
    // Neither Return nor Escape leaves while the screen waits.
    TapAt(kReturn);
    screen->SendMessage(WM_COMMAND, IDCANCEL, 0);
    Idle();
    ASSERT_EQ(Shown(c.kind), screen);

    Advance(13 * 250);
    EXPECT_EQ(Hint(*screen), "Reading paired devices... 3 s");
    EXPECT_TRUE(Enabled(c.kind, c.controls).empty());
    Advance(250);
    EXPECT_EQ(Hint(*screen), "No answer from the Bluetooth module");
    EXPECT_EQ(Enabled(c.kind, c.controls), c.controls);
    EXPECT_EQ(screen->DeviceList().GetItemCount(), 0);
    TapAt(kReturn);
    EXPECT_EQ(Shown(c.kind), nullptr);
}

TEST_P(DeviceListTest, ListAnswersAndNamesSetTheRowsAndHintAndALinkClosesItASecondLater)
{
    const DeviceCase& c = GetParam();
    using Answer = std::tuple<std::vector<uint8_t>, int, std::string>;
    for (const auto& [body, rows, hint] : { Answer { { 0, 0 }, 0, c.empty }, Answer { { 1 }, 0, c.failed },
             Answer { { 0, 9 }, c.nineRows, c.nine } }) {
        DeviceListScreen* screen = Open<DeviceListScreen>(c.kind);
        Response(kOpPairedList, body);
        EXPECT_EQ(screen->DeviceList().GetItemCount(), rows) << int(body.back());
        EXPECT_EQ(Hint(*screen), hint);
        EXPECT_EQ(Enabled(c.kind, c.controls), c.controls) << hint;
        Frame().CloseScreen(c.kind);
    }

    DeviceListScreen& screen = OpenWithTwoRows(c.kind);
    EXPECT_EQ(RowsOf(screen), (Rows { "5B123456789A|Pixel", "001A7DDA710F|" }));
    // The name report: its length, the address, the name.
    const std::string name = "Tablet \xC3\xA9";
    std::vector<uint8_t> body { uint8_t(6 + name.size()), 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x0F };
    body.insert(body.end(), name.begin(), name.end());
    Event(0x0E, body);
    EXPECT_EQ(Enabled(c.kind, c.controls), c.controls);
    TapRow(1);
    Screenshot(c.screenshot);

    Link(0);
    ASSERT_EQ(Shown(c.kind), &screen);
    const DWORD before = GetTickCount();
    Link(1);
    EXPECT_EQ(Shown(c.kind), nullptr);
    EXPECT_EQ(GetTickCount() - before, 1000u);
}

INSTANTIATE_TEST_SUITE_P(Screens, DeviceListTest, ::testing::ValuesIn(kDeviceCases),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceScreenTest, ConnectNeedsASelectedAndFocusedRowSendsItsAddressAndClosesASecondAfterTheLink)
{
    DeviceListScreen& screen = OpenWithTwoRows(kScreenConnect);
    TapAt(kConnect);
    screen.DeviceList().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED | LVIS_FOCUSED);
    TapAt(kConnect);
    EXPECT_EQ(Hint(screen), "Select a device and press Connect");
    TapAt(kDisconnect);
    EXPECT_EQ(Hint(screen), "No cellphone is connected");
    EXPECT_TRUE(Sent().empty());
    TapRow(0);
    TapAt(kConnect);
    // Profile selector 0 goes out as 1; the bytes are those read back from the row, first pair first.
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpConnect, { 1, 0x5B, 0x12, 0x34, 0x56, 0x78, 0x9A }) }));
    EXPECT_EQ(Hint(screen), "Connecting...");
    TapAt(kReturn);
    ASSERT_EQ(Shown(kScreenConnect), &screen);
    Response(kOpConnect, { 0 });
    EXPECT_TRUE(Enabled(kScreenConnect, kConnectIds).empty());
    Screenshot("connect-waiting");
    const DWORD before = GetTickCount();
    Link(2);
    EXPECT_EQ(Shown(kScreenConnect), nullptr);
    EXPECT_EQ(GetTickCount() - before, 1000u);

    // Not while a phone is connected.
    DeviceListScreen& again = OpenWithTwoRows(kScreenConnect);
    State(4);
    TapRow(1);
    TapAt(kConnect);
    EXPECT_EQ(Hint(again), "A cellphone is already connected");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(DeviceScreenTest, EveryEndOfTheConnectAndDisconnectWaits)
{
    struct Case {
        const char* what;
        bool disconnect;
        std::function<void()> end;
        std::string hint;
    };
    const auto unanswered = [this] {
        Advance(11'000);
        EXPECT_TRUE(Enabled(kScreenConnect, kConnectIds).empty()) << "still waiting after eleven seconds";
        Advance(1'000);
    };
    const Case cases[] = {
        { "connect refused", false, [this] { Response(kOpConnect, { 5 }); }, "Connection failed: No phone connected" },
        { "link failed", false, [this] { Link(0); }, "Could not connect to the cellphone" },
        { "no connect answer", false, unanswered, "Connection timed out" },
        { "disconnect refused", true, [this] { Response(kOpDisconnect, { 3 }); }, "Disconnect failed" },
        { "idle again", true, [this] { State(1); }, "Disconnected" },
        { "no disconnect answer", true, unanswered, "Disconnection timed out" },
    };
    for (const Case& c : cases) {
        DeviceListScreen& screen = OpenWithTwoRows(kScreenConnect);
        if (c.disconnect) {
            State(4);
            TapAt(kDisconnect);
            EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpDisconnect, { 0 }) })) << c.what;
            EXPECT_EQ(Hint(screen), "Disconnecting...") << c.what;
            // An accepted request is not the end: the state report is.
            Response(kOpDisconnect, { 0 });
            EXPECT_EQ(Hint(screen), "Disconnecting...") << c.what;
        } else {
            TapRow(1);
            TapAt(kConnect);
            ASSERT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpConnect }) << c.what;
        }
        EXPECT_TRUE(Enabled(kScreenConnect, kConnectIds).empty()) << c.what;
        c.end();
        EXPECT_EQ(Hint(screen), c.hint) << c.what;
        EXPECT_EQ(Enabled(kScreenConnect, kConnectIds), kConnectIds) << c.what;
        Frame().CloseScreen(kScreenConnect);
    }
}

TEST_F(DeviceScreenTest, PairingAndDeletingOnlyInTheIdleState)
{
    DeviceListScreen& screen = OpenWithTwoRows(kScreenPairMode);
    TapRow(0);
    // Each side of the idle state 1, and the last; the states between read the same table.
    const std::pair<uint8_t, const char*> refusals[] = { { 0, "Bluetooth is initializing, please wait" },
        { 2, "Pairing is already in progress" }, { 6, "Not possible during a call" } };
    for (auto [state, refusal] : refusals) {
        for (POINT button : { kPairHandsFree, kPairHeadset, kDelete }) {
            State(state);
            TapAt(button);
            EXPECT_EQ(Hint(screen), refusal) << int(state);
        }
        EXPECT_TRUE(Sent().empty()) << int(state);
        EXPECT_EQ(Enabled(kScreenPairMode, kPairIds), kPairIds);
    }
}

TEST_F(DeviceScreenTest, PairingButtonsSendOneFrameAndEveryModuleAnswerButAnAcceptedStartEndsTheWait)
{
    struct Case {
        bool headset;
        uint8_t opcode, status;
        const char* hint;
    };
    const Case cases[] = {
        { false, kOpStartPairing, 0, "Ready to pair with your cellphone" },
        { true, kOpStartPairing, 2, "Pairing failed: Invalid parameter" },
        { true, kOpCancelPairing, 0, "Pairing canceled" },
        { false, kOpDeletePairing, 1, "Could not delete the pairing" },
    };
    for (const Case& c : cases) {
        DeviceListScreen& screen = OpenWithTwoRows(kScreenPairMode);
        TapAt(c.headset ? kPairHeadset : kPairHandsFree);
        EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpStartPairing) })) << c.hint;
        EXPECT_EQ(Hint(screen), c.headset ? "Starting headset pairing..." : "Starting hands-free pairing...");
        EXPECT_EQ(Enabled(kScreenPairMode, kPairIds), Ids { CDlgPairMode::kIdCancel }) << c.hint;
        Advance(250);
        Response(c.opcode, { c.status });
        EXPECT_EQ(Hint(screen), c.hint);
        if (c.opcode != kOpStartPairing || c.status != 0) {
            EXPECT_EQ(Enabled(kScreenPairMode, kPairIds), kPairIds) << c.hint;
            Advance(1'000);
            EXPECT_EQ(Hint(screen), c.hint) << "the countdown has stopped";
        }
        Frame().CloseScreen(kScreenPairMode);
    }
    // A module that cannot be written to: the screen says so and stays usable, to retry or leave.
    DeviceListScreen& screen = OpenWithTwoRows(kScreenPairMode);
    Frame().Context()->link.Stop();
    TapAt(kPairHeadset);
    EXPECT_EQ(Hint(screen), "Could not start headset pairing");
    EXPECT_EQ(Enabled(kScreenPairMode, kPairIds), kPairIds);
    Advance(1'000);
    EXPECT_EQ(Hint(screen), "Could not start headset pairing") << "no countdown";
    TapAt(kReturn);
    EXPECT_EQ(Shown(kScreenPairMode), nullptr);
}

TEST_F(DeviceScreenTest, PairingCountsDownFrom240AndCancelsOnTheTickAfterZeroOrOnCancel)
{
    DeviceListScreen& screen = OpenWithTwoRows(kScreenPairMode);
    TapAt(kCancelPairing);
    EXPECT_EQ(Hint(screen), "Pairing is not active");
    EXPECT_TRUE(Sent().empty());
    TapAt(kPairHandsFree);
    Sent();
    State(2);
    Advance(250);
    EXPECT_EQ(Hint(screen), "Pair your cellphone now: 240 s left");
    Advance(120 * 250);
    Screenshot("pair-mode-countdown");
    Advance(840 * 250);
    EXPECT_EQ(Hint(screen), "Pair your cellphone now: 0 s left");
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Enabled(kScreenPairMode, kPairIds), Ids { CDlgPairMode::kIdCancel });
    Advance(250);
    EXPECT_EQ(Hint(screen), "Time is up, canceling pairing...");
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpCancelPairing) }));
    EXPECT_EQ(Enabled(kScreenPairMode, kPairIds), kPairIds);
    Advance(2'500);
    EXPECT_EQ(Hint(screen), "Time is up, canceling pairing...") << "the countdown has stopped";

    TapAt(kPairHeadset);
    Sent();
    TapAt(kCancelPairing);
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpCancelPairing) }));
    EXPECT_EQ(Hint(screen), "Canceling pairing...");
    EXPECT_EQ(Enabled(kScreenPairMode, kPairIds), kPairIds);
    Advance(250);
    EXPECT_EQ(Hint(screen), "Canceling pairing...") << "no countdown after a cancel";
}

TEST_F(DeviceScreenTest, DeleteAndANewPairingReadTheListAgain)
{
    DeviceListScreen& screen = OpenWithTwoRows(kScreenPairMode);
    TapAt(kDelete);
    EXPECT_EQ(Hint(screen), "Select a device or start pairing") << "no row, nothing happens";
    TapRow(0);
    AnswerMessageBox(Answer::No);
    TapAt(kDelete);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Hint(screen), "Select a device or start pairing");

    AnswerMessageBox(Answer::Yes);
    TapAt(kDelete);
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpDeletePairing, { kPhone.begin(), kPhone.end() }) }));
    Response(kOpDeletePairing, { 0 });
    EXPECT_EQ(Hint(screen), "Pairing deleted");
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    EXPECT_EQ(screen.DeviceList().GetItemCount(), 0);
    AnswerList({ kTablet });

    // Unanswered: the list is read again on the fifth second.
    TapRow(0);
    AnswerMessageBox(Answer::Yes);
    TapAt(kDelete);
    Sent();
    Advance(4'000);
    EXPECT_TRUE(Enabled(kScreenPairMode, kPairIds).empty());
    EXPECT_TRUE(Sent().empty());
    Advance(1'000);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    EXPECT_EQ(Hint(screen), "Reading paired devices...");
    AnswerList({ kPhone });

    // A new pairing: the list is read again too.
    TapAt(kPairHandsFree);
    Sent();
    Event(0x02, { 0 });
    EXPECT_EQ(Hint(screen), "Starting hands-free pairing...") << "only value 1 ends the wait";
    Event(0x02, { 1 });
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    EXPECT_EQ(Hint(screen), "Reading paired devices...");
}

TEST_F(DeviceScreenTest, ALinkWhileTheDeleteBoxIsUpClosesThePairModeScreenAndDeletesNothing)
{
    OpenWithTwoRows(kScreenPairMode);
    TapRow(0);
    // The link arrives while the box waits for its answer, as the module link would post it.
    ws.WhenIdle([this] {
        Frame().PostMessage(WM_BT_EV_LINK, 2, 0);
        AnswerMessageBox(Answer::Yes);
    });
    TapAt(kDelete);
    EXPECT_EQ(Shown(kScreenPairMode), nullptr);
    EXPECT_TRUE(Sent().empty());
}

// The first cause, each side of the last that keeps the module unready, and the last (the rest are
// the bluez host_stack flow's); pairing is refused with the cause, not with "initializing".
TEST_F(HostStackTest, EachCauseIsSaidAndPairingIsRefusedWithItWhileTheModuleIsNotReady)
{
    // The module's answer to the start's microphone gain, which the picture's gauge shows.
    Response(0x0D, { 0, 4 });
    State(0);
    HostStack(3);
    Screenshot("main-view-no-adapter");

    const std::tuple<uint8_t, const char*, bool> causes[] = {
        { 1, "No system bus: start dbus, then try again", true },
        { 5, "Bluetooth blocked: run rfkill unblock bluetooth", true },
        { 6, "Phone service not running: start ofono", false },
        { 7, "Hands-free not registered: restart ofono", false },
    };
    for (auto [value, cause, refused] : causes) {
        State(refused ? 0 : 1);
        HostStack(value);
        EXPECT_EQ(StatusLine(), cause);
        EXPECT_EQ(HintWithEmptyList(kScreenPairMode), cause);
        static_cast<SkinScreen*>(Shown(kScreenPairMode))->SetHintText({});
        TapAt(kPairHandsFree);
        EXPECT_EQ(Hint(*Shown(kScreenPairMode)), refused ? cause : "Starting hands-free pairing...");
        EXPECT_EQ(SentOpcodes(), refused ? std::vector<uint8_t> {} : std::vector<uint8_t> { kOpStartPairing })
            << cause;
        Frame().CloseScreen(kScreenPairMode);
    }
}

// Ready after no adapter: the texts of a stack never reported, which the other tests check.
TEST_F(HostStackTest, OnceReadyAgainTheScreensSayWhatTheyAlwaysSaid)
{
    HostStack(3);
    HostStack(0);
    State(0);
    EXPECT_EQ(StatusLine(), "Bluetooth initializing...");
    EXPECT_EQ(HintWithEmptyList(kScreenConnect), "No paired devices, pair a cellphone first");
    Frame().CloseScreen(kScreenConnect);
    HintWithEmptyList(kScreenPairMode);
    TapAt(kPairHandsFree);
    EXPECT_EQ(Hint(*Shown(kScreenPairMode)), "Bluetooth is initializing, please wait");
    Frame().CloseScreen(kScreenPairMode);
    State(1);
    EXPECT_EQ(StatusLine(), "No cellphone connected");
}

TEST_F(HostStackTest, OnlyKnownKindsAndValuesCountAndAPhoneLinkedKeepsItsStatus)
{
    State(0);
    HostStack(7);
    EXPECT_EQ(StatusLine(), "Hands-free not registered: restart ofono");
    // 8 is past the last state; another kind is a fact for later.
    HostStack(8);
    Indicator(2, 3);
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
    EXPECT_EQ(Hint(*Shown(kScreenConnect)), "No paired devices, pair a cellphone first");

    HostStack(6);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    Response(kOpPairedList, { 0, 0 });
    EXPECT_EQ(Hint(*Shown(kScreenConnect)), "Phone service not running: start ofono");
    HostStack(7);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    // While the list is read (Return disabled), another change sends nothing more.
    HostStack(6);
    EXPECT_TRUE(Sent().empty());
    TapAt(kReturn);
    EXPECT_NE(Shown(kScreenConnect), nullptr);
}

}
