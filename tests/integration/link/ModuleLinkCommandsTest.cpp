// Command frames on the wire, byte for byte: those with parameters or a mapping of their own. The
// simulator's tests answer every other command by its opcode (ModsimTest).

#include "LinkFixture.h"

namespace {

constexpr BtAddress kPhone { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13 };
const std::string kDial32(32, '5');

struct CommandRow {
    const char* name;
    std::function<bool(ModuleLink&)> send;
    Bytes wire;
};

const CommandRow kCommands[] = {
    { "GetState", [](auto& l) { return l.GetState(); }, { 0x77, 0x01, 0x01, 0x05, 0x72 } },
    { "StartPairing hands-free", [](auto& l) { return l.StartPairing(1); },
        { 0x77, 0x01, 0x01, 0x07, 0x70 } },
    { "StartPairing headset", [](auto& l) { return l.StartPairing(0); }, { 0x77, 0x01, 0x01, 0x07, 0x70 } },
    { "Connect mode 0", [](auto& l) { return l.Connect(0, kPhone); },
        { 0x77, 0x01, 0x08, 0x08, 0x01, 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13,
            0x77 ^ 0x01 ^ 0x08 ^ 0x08 ^ 0x01 ^ 0x1A ^ 0x7D ^ 0xDA ^ 0x71 ^ 0x13 } },
    { "Connect mode 2", [](auto& l) { return l.Connect(2, BtAddress {}); },
        { 0x77, 0x01, 0x08, 0x08, 0x03, 0, 0, 0, 0, 0, 0, 0x77 ^ 0x01 ^ 0x03 } },
    { "Connect mode 3", [](auto& l) { return l.Connect(3, BtAddress {}); },
        { 0x77, 0x01, 0x08, 0x08, 0x01, 0, 0, 0, 0, 0, 0, 0x77 ^ 0x01 ^ 0x01 } },
    { "Disconnect", [](auto& l) { return l.Disconnect(); }, { 0x77, 0x01, 0x02, 0x09, 0x00, 0x7D } },
    { "Dial", [](auto& l) { return l.Dial("0301", 4); },
        { 0x77, 0x01, 0x05, 0x15, '0', '3', '0', '1', 0x77 ^ 0x01 ^ 0x05 ^ 0x15 ^ '0' ^ '3' ^ '0' ^ '1' } },
    // The longest dial string; its checksum is 0x77 ^ 0x01 ^ 0x21 ^ 0x15 (32 equal digits cancel).
    { "Dial 32", [](auto& l) { return l.Dial(kDial32.c_str(), kDial32.size()); },
        Bytes { 0x77, 0x01, 0x21, 0x15 } + Bytes(32, '5') + Bytes { 0x42 } },
    { "SendDtmf", [](auto& l) { return l.SendDtmf('#'); },
        { 0x77, 0x01, 0x02, 0x17, '#', 0x77 ^ 0x01 ^ 0x02 ^ 0x17 ^ '#' } },
};
}

TEST_F(LinkTest, EveryCommandWritesItsFrameByteForByte)
{
    for (const auto& row : kCommands) {
        EXPECT_TRUE(row.send(link)) << row.name;
        EXPECT_EQ(peer.ReadExactly(row.wire.size(), kWait), row.wire) << row.name;
    }
    EXPECT_TRUE(peer.ReadAvailable(50).empty()) << "nothing more than the frames";
}

TEST_F(LinkTest, CommandsFailAndWriteNothingWithoutARunningLinkOrAOneToThirtyTwoCharacterDial)
{
    EXPECT_FALSE(link.Dial("", 0));
    EXPECT_FALSE(link.Dial(nullptr, 3));
    std::string tooLong(33, '1');
    EXPECT_FALSE(link.Dial(tooLong.c_str(), tooLong.size()));
    ModuleLink unstarted;
    ASSERT_TRUE(link.Stop());
    for (const auto& row : kCommands) {
        EXPECT_FALSE(row.send(unstarted)) << row.name << " before Start";
        EXPECT_FALSE(row.send(link)) << row.name << " after Stop";
    }
    EXPECT_TRUE(peer.ReadAvailable(50).empty());
}
