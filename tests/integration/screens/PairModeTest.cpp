#include "DeviceScreenTest.h"

#include "platform/loop/Clock.h"
#include "screens/DlgPairMode.h"
#include "ui/SkinPoints.h"
#include "controller/ScreenContext.h"

namespace {

namespace place = skin::place::pairmode;
using skin::place::Center;

constexpr POINT kReturnTap = Center(place::btn_gomain);
constexpr POINT kHandsFreeTap = Center(place::btn_pairinghf);
constexpr POINT kHeadsetTap = Center(place::btn_pairinghs);
constexpr POINT kCancelTap = Center(place::btn_cancelpair);
constexpr POINT kDeleteTap = Center(place::btn_delpair);
using Ids = std::vector<int>;
const Ids kAll { IDOK, CDlgPairMode::kIdList, CDlgPairMode::kIdPairHandsFree, CDlgPairMode::kIdDelete,
    CDlgPairMode::kIdCancel, CDlgPairMode::kIdPairHeadset };

constexpr uint8_t kOpStartPairing = 0x07;
constexpr uint8_t kOpCancelPairing = 0x0A;
constexpr uint8_t kOpDeletePairing = 0x0F;
constexpr uint8_t kEvPairing = 0x02;

const Address kPhone { 0x5B, 0x12, 0x34, 0x56, 0x78, 0x9A };
const Address kTablet { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x0F };

class PairModeTest : public DeviceScreenTest {
protected:
    CDlgPairMode* Pair() { return Screen<CDlgPairMode>(kScreenPairMode); }

    // Opened in main state 1 with the phone and the tablet listed, the phone's name stored.
    CDlgPairMode& OpenWithTwoRows()
    {
        StoreName(kPhone, "Pixel");
        State(1);
        Open<CDlgPairMode>(kScreenPairMode);
        AnswerList({ kPhone, kTablet });
        Sent();
        return *Pair();
    }

    Ids Enabled() { return EnabledIds(*Pair(), kAll); }
};

}

TEST_F(PairModeTest, PairingAndDeletingOnlyInTheIdleState)
{
    CDlgPairMode& screen = OpenWithTwoRows();
    TapRow(0);
    const char* refusals[]
        = { "PMMS0001", nullptr, "PMMS0002", "PMMS0003", "PMMS0004", "PMMS0005", "PMMS0006" };
    for (uint8_t state : { 0, 2, 3, 4, 5, 6 }) {
        for (POINT button : { kHandsFreeTap, kHeadsetTap, kDeleteTap }) {
            State(state);
            TapAt(button);
            EXPECT_EQ(Hint(screen), Text(refusals[state])) << int(state);
        }
        EXPECT_TRUE(Sent().empty()) << int(state);
        EXPECT_EQ(Enabled(), kAll);
    }
}

TEST_F(PairModeTest, BothPairingButtonsSendOneFrameWithTheirOwnTexts)
{
    struct Case {
        POINT button;
        const char* text;
    };
    for (const Case& c : { Case { kHandsFreeTap, "PMMS0101" }, Case { kHeadsetTap, "PMMS0201" } }) {
        CDlgPairMode& screen = OpenWithTwoRows();
        TapAt(c.button);
        EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpStartPairing, {}) })) << c.text;
        EXPECT_EQ(Hint(screen), Text(c.text));
        EXPECT_EQ(Enabled(), Ids { CDlgPairMode::kIdCancel }) << c.text;
        Response(kOpStartPairing, { 0 });
        EXPECT_EQ(Hint(screen), Text("PMMS0801"));
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenPairMode, 0);
    }
}

TEST_F(PairModeTest, CountsDownFrom240AndCancelsOnTheTickAfterZero)
{
    CDlgPairMode& screen = OpenWithTwoRows();
    TapAt(kHandsFreeTap);
    Sent();
    State(2);
    for (int tick = 1; tick <= 961; ++tick) {
        Advance(CDlgPairMode::kPairTimerMs);
        if (tick % 80 == 1 || tick >= 957) {
            ASSERT_EQ(
                Hint(screen), "Pair your cellphone now: " + std::to_string(240 - (tick - 1) / 4) + " s left")
                << tick;
        }
        if (tick == 121)
            Screenshot("pair-mode-countdown");
    }
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Enabled(), Ids { CDlgPairMode::kIdCancel });
    Advance(CDlgPairMode::kPairTimerMs);
    EXPECT_EQ(Hint(screen), Text("PMMS0603"));
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpCancelPairing, {}) }));
    EXPECT_EQ(Enabled(), kAll);
    Advance(10 * CDlgPairMode::kPairTimerMs);
    EXPECT_EQ(Hint(screen), Text("PMMS0603")) << "the countdown has stopped";
}

// A module that cannot be written to: the screen says so and stays usable, to retry or to leave.
TEST_F(PairModeTest, APairingRequestThatCannotBeSentLeavesTheScreenUsable)
{
    CDlgPairMode& screen = OpenWithTwoRows();
    Frame().Context()->link.Stop();
    for (auto [button, text] : { std::pair { kHandsFreeTap, "PMMS0102" }, std::pair { kHeadsetTap, "PMMS0202" } }) {
        TapAt(button);
        EXPECT_EQ(Hint(screen), Text(text));
        EXPECT_EQ(Enabled(), kAll) << text;
        Advance(4 * 250);
        EXPECT_EQ(Hint(screen), Text(text)) << "no countdown";
    }
    TapAt(kReturnTap);
    EXPECT_EQ(Pair(), nullptr);
}

TEST_F(PairModeTest, CancelOnlyWhileThePhoneIsPairing)
{
    CDlgPairMode& screen = OpenWithTwoRows();
    TapAt(kCancelTap);
    EXPECT_EQ(Hint(screen), Text("PMMS0301"));
    EXPECT_TRUE(Sent().empty());

    TapAt(kHeadsetTap);
    State(2);
    Sent();
    TapAt(kCancelTap);
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpCancelPairing, {}) }));
    EXPECT_EQ(Hint(screen), Text("PMMS0302"));
    EXPECT_EQ(Enabled(), kAll);
    Advance(CDlgPairMode::kPairTimerMs);
    EXPECT_EQ(Hint(screen), Text("PMMS0302")) << "no countdown after a cancel";
}

TEST_F(PairModeTest, EveryModuleAnswerEndsThePairingWait)
{
    struct Case {
        uint8_t opcode;
        uint8_t status;
        std::string hint;
    };
    const Case cases[] = {
        { kOpStartPairing, 2, Text("PMMS0802") + "Invalid parameter" },
        { kOpCancelPairing, 0, Text("PMMS1001") },
        { kOpCancelPairing, 4, Text("PMMS1002") + "Module busy" },
        { kOpDeletePairing, 1, Text("PMMS1102") },
    };
    for (const Case& c : cases) {
        CDlgPairMode& screen = OpenWithTwoRows();
        TapAt(kHandsFreeTap);
        Advance(CDlgPairMode::kPairTimerMs);
        Response(c.opcode, { c.status });
        EXPECT_EQ(Hint(screen), c.hint);
        EXPECT_EQ(Enabled(), kAll) << c.hint;
        Advance(4 * CDlgPairMode::kPairTimerMs);
        EXPECT_EQ(Hint(screen), c.hint) << "the countdown has stopped";
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenPairMode, 0);
    }
}

TEST_F(PairModeTest, DeleteAsksFirstAndSendsTheAddressReadBackFromTheRow)
{
    CDlgPairMode& screen = OpenWithTwoRows();
    const std::string hint = Hint(screen);
    TapAt(kDeleteTap);
    EXPECT_EQ(Hint(screen), hint) << "no row, nothing happens";

    TapRow(0);
    AnswerMessageBox(Answer::No);
    TapAt(kDeleteTap);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Hint(screen), hint);
    EXPECT_EQ(Enabled(), kAll);

    TakeTrace();
    AnswerMessageBox(Answer::Yes);
    TapAt(kDeleteTap);
    // The address on the first line, as read back from the row.
    EXPECT_EQ(TakeTrace("app messagebox " + Text("PMMS0403")),
        std::vector<std::string> {
            "app messagebox " + Text("PMMS0403") + ": [5B123456789A]\\n" + Text("PMMS0402") });
    EXPECT_EQ(SentFrames(), (Frames { CommandBytes(kOpDeletePairing, { kPhone.begin(), kPhone.end() }) }));
    EXPECT_EQ(Hint(screen), Text("PMMS0404"));
    EXPECT_TRUE(Enabled().empty());

    // Done: the list is asked for again.
    Response(kOpDeletePairing, { 0 });
    EXPECT_EQ(Hint(screen), Text("PMMS1101"));
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    EXPECT_EQ(screen.DeviceList().GetItemCount(), 0);
    AnswerList({ kTablet });
    EXPECT_EQ(Rows(screen.DeviceList()), std::vector<std::string> { "001A7DDA710F|" });
    EXPECT_EQ(Enabled(), kAll);
}

TEST_F(PairModeTest, AnUnansweredDeleteReadsTheListAgainAfterFiveSeconds)
{
    CDlgPairMode& screen = OpenWithTwoRows();
    TapRow(1);
    AnswerMessageBox(Answer::Yes);
    TapAt(kDeleteTap);
    Sent();
    Advance(4 * CDlgPairMode::kDeleteTimerMs);
    EXPECT_TRUE(Enabled().empty());
    EXPECT_TRUE(Sent().empty());
    Advance(CDlgPairMode::kDeleteTimerMs);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    EXPECT_EQ(Hint(screen), Text("PMMS0501"));
    AnswerList({ kPhone });
    EXPECT_EQ(Enabled(), kAll);
}

TEST_F(PairModeTest, ListAnswersAndTheListAfterANewPairing)
{
    struct Case {
        std::vector<uint8_t> answer;
        std::string hint;
    };
    // A failed answer and more devices than the module's table holds list nothing here.
    const Case cases[] = {
        { { 1 }, Text("PMMS0703") },
        { { 0, 9 }, Text("PMMS0703") },
        { { 0, 0 }, Text("PMMS0701") },
    };
    for (const Case& c : cases) {
        CDlgPairMode* screen = Open<CDlgPairMode>(kScreenPairMode);
        Response(kOpPairedList, c.answer);
        EXPECT_EQ(screen->DeviceList().GetItemCount(), 0) << c.hint;
        EXPECT_EQ(Hint(*screen), c.hint);
        EXPECT_EQ(Enabled(), kAll) << c.hint;
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenPairMode, 0);
    }

    CDlgPairMode& screen = OpenWithTwoRows();
    EXPECT_EQ(Hint(screen), Text("PMMS0702"));
    TapAt(kHandsFreeTap);
    Sent();
    Event(kEvPairing, { 0 });
    EXPECT_EQ(Hint(screen), Text("PMMS0101")) << "only value 1 ends the wait";
    Event(kEvPairing, { 1 });
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpPairedList });
    EXPECT_EQ(Hint(screen), Text("PMMS0501"));
    EXPECT_TRUE(Enabled().empty());
    const Address newPhone { 0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5 };
    AnswerList({ kPhone, kTablet, newPhone });
    ReportName(newPhone, "Galaxy");
    EXPECT_EQ(Rows(screen.DeviceList()),
        (std::vector<std::string> { "5B123456789A|Pixel", "001A7DDA710F|", "A0B1C2D3E4F5|Galaxy" }));
    EXPECT_EQ(Enabled(), kAll);
    TapRow(2);
    Screenshot("pair-mode-list");
}

TEST_F(PairModeTest, ClosesASecondAfterALinkAndStateReportsSetTheHint)
{
    CDlgPairMode& screen = OpenWithTwoRows();
    State(3);
    EXPECT_EQ(Hint(screen), Text("PMMS1202"));
    State(1);
    EXPECT_EQ(Hint(screen), Text("PMMS1201"));
    State(7);
    EXPECT_EQ(Hint(screen), "");
    Link(0);
    ASSERT_EQ(Pair(), &screen);

    DWORD before = GetTickCount();
    Link(1);
    EXPECT_EQ(Pair(), nullptr);
    EXPECT_GE(GetTickCount() - before, 1000u);
}

TEST_F(PairModeTest, ALinkWhileTheDeleteBoxIsUpClosesTheScreenAndDeletesNothing)
{
    OpenWithTwoRows();
    TapRow(0);
    // The link arrives while the box waits for its answer, as the module link would post it.
    ws.WhenIdle([this] {
        Frame().PostMessage(WM_BT_EV_LINK, 2, 0);
        AnswerMessageBox(Answer::Yes);
    });
    TapAt(kDeleteTap);
    EXPECT_EQ(Pair(), nullptr);
    EXPECT_TRUE(Sent().empty());
}
