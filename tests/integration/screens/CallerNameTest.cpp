// Callers the contacts know, by name: a vCard dropped into data/contacts/ before the call.

#include "CallScreenSteps.h"

#include "controller/ScreenContext.h"
#include "platform/core/Text.h"
#include "screens/DlgCallHist.h"
#include "screens/DlgIncoming.h"
#include "ui/SkinPoints.h"

#include <fstream>

namespace {

class CallerNameTest : public CallScreenTest {
protected:
    void Drop(const std::string& vcard)
    {
        std::filesystem::create_directories(dir / "data" / "contacts");
        std::ofstream(dir / "data" / "contacts" / "dropped.vcf", std::ios::binary) << vcard;
    }
    // The book loads off the UI thread: wait until it knows the number.
    void WaitKnown(const std::u16string& number)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Frame().Context()->CallerName(number) && std::chrono::steady_clock::now() < deadline)
            ws.PumpUntil([] { return false; }, std::chrono::milliseconds(10));
        ASSERT_TRUE(Frame().Context()->CallerName(number)) << "the contacts were not loaded";
    }
    CDlgIncoming* Missed(const std::string& number)
    {
        Ring();
        State(5);
        CallerId(number);
        return Screen<CDlgIncoming>(kScreenIncoming);
    }
};

}

TEST_F(CallerNameTest, AKnownCallerIsShownByNameOnTheCallScreenAndInTheMissedList)
{
    const std::string longName(200, 'W');
    Drop("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jürgen Müller\r\nTEL;TYPE=CELL:+49 30 1234567\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Дмитрий Иванов\r\nTEL:0305556667\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Αλέξανδρος Παππάς\r\nTEL:0307778889\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:"
        + longName + "\r\nTEL:0301112223\r\nEND:VCARD\r\n");
    ASSERT_TRUE(Start());
    WaitKnown(u"0301234567");
    ConnectPhone();

    CDlgIncoming* screen = Missed("0301234567");
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(ShowsText(*screen, "Jürgen Müller"));
    EXPECT_TRUE(ShowsText(*screen, "0301234567")) << "the number stays under the name";
    Screenshot("incoming-named");
    State(4);
    Advance(3000);
    Idle();

    // A name longer than its line is cut with an ellipsis, never drawn past it.
    screen = Missed("0301112223");
    ASSERT_NE(screen, nullptr);
    std::string shown;
    for (const std::string& text : Texts(*screen))
        if (text.rfind("WWW", 0) == 0)
            shown = text;
    EXPECT_LT(shown.size(), longName.size());
    EXPECT_EQ(shown.substr(shown.size() - 3), "\u2026");
    State(4);
    Advance(3000);
    Idle();

    for (const char* number : { "0305556667", "0307778889" }) {
        ASSERT_NE(Missed(number), nullptr);
        State(4);
        Advance(3000);
        Idle();
    }

    // Unknown: the number alone.
    screen = Missed("0309999999");
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(ShowsText(*screen, "0309999999"));
    EXPECT_FALSE(ShowsText(*screen, "Jürgen Müller"));
    State(4);
    Advance(3000);
    Idle();

    Frame().SendMessage(WM_PHONE_OPEN_SCREEN, kScreenCallHist, 0);
    Idle();
    auto* history = Screen<CDlgCallHist>(kScreenCallHist);
    ASSERT_NE(history, nullptr);
    const POINT missedTab = skin::place::Center(skin::place::callhist::tab_bg[2]);
    Tap(missedTab.x, missedTab.y);
    std::vector<std::string> rows;
    for (int row = 0; row < history->CallList().GetItemCount(); ++row)
        rows.push_back(ToUtf8(history->CallList().GetItemText(row, 0)));
    EXPECT_EQ(rows, (std::vector<std::string> { "0309999999", "Αλέξανδρος Παππάς", "Дмитрий Иванов", longName,
                        "Jürgen Müller" }));
    Screenshot("history-named");
    // The file keeps the number.
    EXPECT_EQ(History("MissedCall.dat").back().Number(), "0301234567");
    Frame().CloseScreen(kScreenCallHist);

    // Dialled: the outgoing screen names the callee too.
    SetDialString("0305556667");
    Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
    Idle();
    Window* outgoing = Frame().ScreenWindow(kScreenOutgoing);
    ASSERT_NE(outgoing, nullptr);
    EXPECT_TRUE(ShowsText(*outgoing, "Дмитрий Иванов"));
    Screenshot("outgoing-named");
}
