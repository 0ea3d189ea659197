// The missed-call notice played on the module simulator's console alone, as a person would try it
// without a bridge, across a restart; the simulator's cards and books becoming the phone's, and its
// console's checks of the phone's facts.

#include "SimAppTest.h"
#include "contacts/ContactDirectory.h"

namespace {

class MissedCallSimTest : public SimAppTest {
protected:
    void SetUp() override { StartOnSim({ "--contacts", (dir / "data" / "contacts").string() }); }

    bool StatusWithin(const std::string& expected) { return Until([&] { return StatusLine() == expected; }); }
};

}

TEST_F(MissedCallSimTest, ACallMissedOnTheSimulatorIsNoticedByNameAfterARestart)
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
    EXPECT_EQ(
        Ask("contact \"Tom Vale\" 5550002 fav"), "error contact \"NAME\" NUMBER [favourite]");
    ContactOnSim("Tom Vale", "5550002", "favourite");
    ASSERT_EQ(Frame().Context()->Contacts()->EntryCount(), 2u);
    const auto book = Frame().Context()->Contacts();
    EXPECT_TRUE(book->IsFavourite(book->Find(u"Tom Vale")));
    EXPECT_FALSE(book->IsFavourite(book->Find(u"Sam Orwell")));

    ASSERT_EQ(Ask("ring 5550001"), "ok ringing");
    ASSERT_TRUE(StatusWithin("Incoming call"));
    HangUpOnSim();
    Advance(1000);
    EXPECT_TRUE(StatusWithin("1 missed call: Sam Orwell")) << StatusLine();

    // A second start on the same root, the simulator still on the line; the phone links again.
    ASSERT_EQ(Ask("linkdown"), "ok");
    app.ExitInstance();
    Idle();
    TextTable::Clear();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(LinkedByReconnect());
    EXPECT_TRUE(StatusWithin("1 missed call: Sam Orwell")) << StatusLine();

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
