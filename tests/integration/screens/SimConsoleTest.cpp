// The module simulator's console without a bridge, driven through its control socket: its checks
// of the phone's facts, and its cards and books becoming the phone's contacts.

#include "AppFixture.h"
#include "support/SimulatorStart.h"
#include "contacts/ContactDirectory.h"
#include "link/ModuleLink.h"

namespace {

class SimConsoleTest : public AppTest {
protected:
    // The simulator with its control socket, then the application on its pseudo-terminal.
    void SetUp() override
    {
        ASSERT_TRUE(testenv::StartSimulator(sim, control, dir.Path(),
            { "--delay", "5", "--contacts", (dir / "data" / "contacts").string() }, kGenerousWait));
        ASSERT_TRUE(Start());
        // Started once the module answered the microphone gain the main view sets on a new device.
        ASSERT_TRUE(Until([&] { return Frame().Context()->status.micGain != 0; }));
    }
    void TearDown() override
    {
        // The application first, so that its reader does not reopen a line the simulator has left.
        app.ExitInstance();
        Idle();
        if (sim.Pid() > 0) {
            control.Ask("quit", std::chrono::milliseconds(500));
            sim.Wait(std::chrono::seconds(2));
        }
    }

    bool Until(const std::function<bool()>& check) { return ws.PumpUntil(check, kGenerousWait); }
    // A line typed at the simulator's console, and its answer.
    std::string Ask(const std::string& command) { return control.Ask(command, kGenerousWait); }
    // The frame's reconnect timer (a minute) links the simulator's phone, audio and all.
    bool LinkedByReconnect()
    {
        Advance(60000);
        return Until([&] {
            const PhoneStatus& status = Frame().Context()->status;
            return status.mainState == PhoneStatus::kStateConnected && status.linkKind == 2;
        });
    }
    // A card given to the simulator's phone (a favourite when `extra` says so) until the book knows it.
    void ContactOnSim(const std::string& name, const std::string& number, const std::string& extra = {})
    {
        const std::string answer
            = Ask("contact \"" + name + "\" " + number + (extra.empty() ? "" : " " + extra));
        ASSERT_EQ(answer.rfind("ok contact ", 0), 0u) << answer;
        ASSERT_TRUE(KnowsCaller(Widen(number).c_str()));
    }

    ChildProgram sim;
    LineSocket control;
};

}

TEST_F(SimConsoleTest, ConsoleRefusesBadFactsAndItsCardsAndBooksBecomeThePhonesContacts)
{
    // The console's phone facts (their effect is PhoneIndicatorsTest's): only for a linked phone,
    // levels up to 5, and a second call only behind one in progress.
    EXPECT_EQ(Ask("signal 3"), "error no phone linked");
    ASSERT_TRUE(LinkedByReconnect());
    EXPECT_EQ(Ask("signal 5"), "ok signal 5");
    EXPECT_EQ(Ask("battery 6"), "error battery N (0..5)");
    EXPECT_EQ(Ask("roaming maybe"), "error roaming on|off");
    EXPECT_EQ(Ask("waiting 5550000"), "error waiting needs one call in progress");
    ContactOnSim("Sam Orwell", "5550001");
    // A favourite of the phone is filed so; a fourth word other than that is refused.
    EXPECT_EQ(Ask("contact \"Tom Vale\" 5550002 fav"), "error contact \"NAME\" NUMBER [favourite]");
    ContactOnSim("Tom Vale", "5550002", "favourite");
    ASSERT_EQ(Frame().Context()->Contacts()->EntryCount(), 2u);
    const auto book = Frame().Context()->Contacts();
    EXPECT_TRUE(book->IsFavourite(book->Find(u"Tom Vale")));
    EXPECT_FALSE(book->IsFavourite(book->Find(u"Sam Orwell")));

    // The simulator hands on a file of 4 MiB, not one a byte larger.
    for (const size_t size : { size_t(4) << 20, (size_t(4) << 20) + 1 }) {
        std::ofstream(dir / "large.vcf") << std::string(size, ' ');
        EXPECT_EQ(Ask("vcard " + (dir / "large.vcf").string()).substr(0, 9),
            size == size_t(4) << 20 ? "ok vcard " : "error lar")
            << size;
    }
    // A whole file becomes the phone's book, in place of the cards dropped one by one.
    std::ofstream(dir / "book.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nTEL:5550009\r\nEND:VCARD\r\n";
    EXPECT_EQ(Ask("vcard " + (dir / "book.vcf").string()).rfind("ok vcard ", 0), 0u);
    EXPECT_TRUE(Until([&] {
        ScreenContext& ctx = *Frame().Context();
        return ctx.CallerName(u"5550009").has_value() && !ctx.CallerName(u"5550001").has_value();
    }));
}
