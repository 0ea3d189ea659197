// The rows of docs/bluetooth.md's mapping table tests/e2e/bluez does not show, on a real module
// model whose line is a socket pair.

#include "HandsFreeMap.h"
#include "PhoneIndicatorMap.h"
#include "support/ModulePty.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const std::string kAdapter = "/org/bluez/hci0";
const std::string kRoad = "/org/bluez/hci0/dev_00_1A_7D_DA_71_01";
const std::string kOffice = "/org/bluez/hci0/dev_00_1A_7D_DA_71_02";
const std::string kRoadModem = "/hfp" + kRoad;
const std::string kCall = kRoadModem + "/voicecall01";

// The bridge's side of the commands, minus the bus: the list comes from the map.
class MapPhones : public PhoneBackend {
public:
    const HandsFreeMap* map = nullptr;
    std::vector<PairedPhone> PairedPhones() const override { return map->PairedPhones(); }
    void Connect(const BtAddress&) override { }
    void Disconnect() override { }
    void PairingWindow(bool) override { }
    void RemovePairing(const BtAddress&) override { }
    void Answer() override { }
    void Hangup() override { }
    void Dial(const std::string&) override { }
    void SendTone(char) override { }
    void TransferAudio(bool) override { }
    void SetSpeakerVolume(BYTE) override { }
    void SetMicGain(BYTE) override { }
    void BridgeAction(bridge::Action action) override { actions.push_back(action); }
    std::vector<bridge::Action> actions;
};

DeviceFacts Phone(const char* address, const char* name, bool paired = true, bool gateway = true)
{
    return { address, name, kAdapter, paired, true, gateway };
}

struct Module {
    Module()
    {
        int fds[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds), 0);
        line.Attach(fds[0]);
        peer = fds[1];
        phones.map = &map;
        core.AdapterReady(false);
    }
    ~Module() { close(peer); }

    // Frames sent since the last look, as "<type> <opcode> <data...>" in hex, without the length.
    std::vector<std::string> Frames()
    {
        BYTE bytes[4096];
        ssize_t n = std::max<ssize_t>(read(peer, bytes, sizeof bytes), 0);
        std::vector<std::string> frames;
        for (ssize_t at = 0; at + 4 <= n; at += bytes[at + 2] + 4) {
            char part[4];
            snprintf(part, sizeof part, "%02X", bytes[at + 1]);
            std::string& text = frames.emplace_back(part);
            for (ssize_t i = at + 3; i < at + 3 + bytes[at + 2]; ++i) {
                snprintf(part, sizeof part, " %02X", bytes[i]);
                text += part;
            }
        }
        return frames;
    }

    void Command(std::vector<BYTE> body)
    {
        core.HandleFrame(CommandBytes(body[0], { body.begin() + 1, body.end() }));
        timers.RunDue();
    }

    void Ready()
    {
        map.Adapter(kAdapter, true, true, "00:11:22:33:44:55");
        map.Device(kRoad, Phone("00:1A:7D:DA:71:01", "Road phone"));
    }
    void Linked()
    {
        Ready();
        map.Modem(kRoadModem, { "hfp", true });
    }

    SimLine line;
    TimerQueue timers;
    MapPhones phones;
    ModuleCore core { line, timers, phones, { std::chrono::milliseconds(0), std::chrono::milliseconds(3000),
                                                std::chrono::milliseconds(240000) } };
    HandsFreeMap map { core, "" };
    int peer = -1;
};

struct Row {
    const char* what;
    std::function<void(Module&)> given;
    std::function<void(Module&)> when;
    std::vector<std::string> frames; // events are type 04, responses 03
};

void Nothing(Module&) { }
void Ready(Module& m) { m.Ready(); }
void Linked(Module& m) { m.Linked(); }
std::function<void(Module&)> InCall(const char* state)
{
    return [state](Module& m) {
        m.Linked();
        m.map.Call(kCall, state, "555");
    };
}
void Office(Module& m, bool paired) { m.map.Device(kOffice, Phone("00:1A:7D:DA:71:02", "Büro", paired)); }

const Row kRows[] = {
    { "another adapter than the one asked for is ignored", Nothing,
        [](Module& m) { HandsFreeMap(m.core, "hci1").Adapter(kAdapter, true, true, "00:11:22:33:44:55"); }, {} },
    { "a modem still offline links nothing", Ready, [](Module& m) { m.map.Modem(kRoadModem, { "hfp", false }); },
        {} },
    { "a modem of another type links nothing", Ready,
        [](Module& m) { m.map.Modem(kRoadModem, { "hardware", true }); }, {} },
    { "a modem of a phone that is not paired links nothing", [](Module& m) { Ready(m), Office(m, false); },
        [](Module& m) { m.map.Modem("/hfp" + kOffice, { "hfp", true }); }, {} },
    { "a waiting call rings with the caller's number", Linked, [](Module& m) { m.map.Call(kCall, "waiting", "7"); },
        { "04 01 28", "04 10 01 01 01", "04 04", "04 05 37" } },
    { "an answered call is in progress, its voice on the phone without an audio card", InCall("incoming"),
        [](Module& m) { m.map.Call(kCall, "active", "555"); }, { "04 10 01 02 01", "04 01 30" } },
    { "with the phone's audio card the voice is in the car", InCall("incoming"),
        [](Module& m) {
            m.map.AudioCard(true);
            m.map.Call(kCall, "active", "555");
        },
        { "04 10 01 02 01", "04 01 31" } },
    { "a dialled call alerts", Linked, [](Module& m) { m.map.Call(kCall, "dialing", "123"); }, { "04 10 02 01 01" } },
    { "a dialled call answered is outgoing and active", InCall("alerting"),
        [](Module& m) { m.map.Call(kCall, "active", "555"); }, { "04 10 02 02 01", "04 01 30" } },
    { "a disconnected call counts as gone", InCall("incoming"),
        [](Module& m) { m.map.Call(kCall, "disconnected", "555"); }, { "04 10 00 00 00", "04 01 20" } },
    { "the phone out of range (its modem removed) ends the call, then the link", InCall("active"),
        [](Module& m) { m.map.ModemGone(kRoadModem); }, { "04 10 00 00 00", "04 01 20", "04 03 00", "04 01 08" } },
    { "a phone pairing outside the window is only listed", Ready, [](Module& m) { Office(m, true); }, {} },
};

TEST(HandsFreeMap, EachPublishedFactSendsTheModuleFramesOfTheTable)
{
    for (const Row& row : kRows) {
        Module m;
        row.given(m);
        (void)m.Frames();
        row.when(m);
        EXPECT_EQ(m.Frames(), row.frames) << row.what;
    }
}

TEST(HandsFreeMap, PairedListHoldsGatewaysNewestFirstWithTheirNames)
{
    Module m;
    m.Ready();
    m.map.Device("/org/bluez/hci0/dev_A", Phone("00:00:00:00:00:0A", "Headset", true, false));
    m.map.BluezLoaded();
    m.map.Device(kOffice, Phone("00:1A:7D:DA:71:02", "Office phone"));
    m.map.Device("/org/bluez/hci0/dev_B", Phone("00:00:00:00:00:0B", "Stranger", false));
    (void)m.Frames();
    m.core.namesWithList = true;
    m.Command({ 0x0E });
    EXPECT_EQ(m.Frames(),
        (std::vector<std::string> { "03 0E 00 02", "04 0D 00 1A 7D DA 71 02", "04 0D 00 1A 7D DA 71 01",
            "04 0E 12 00 1A 7D DA 71 02 4F 66 66 69 63 65 20 70 68 6F 6E 65",
            "04 0E 10 00 1A 7D DA 71 01 52 6F 61 64 20 70 68 6F 6E 65" }));
}

TEST(HandsFreeMap, AddressesAndLevelsConvert)
{
    using namespace handsfree;
    EXPECT_EQ(ParseAddress("00:1a:7D:DA:71:0F"), (BtAddress { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x0F }));
    for (const char* bad : { "", "00:1A:7D:DA:71", "00:1A:7D:DA:71:0G", "00-1A-7D-DA-71-01", "00:1A:7D:DA:71:01:" })
        EXPECT_FALSE(ParseAddress(bad)) << bad;
    const std::pair<BYTE, BYTE> speaker[] = { { 0, 0 }, { 7, 50 }, { 14, 100 }, { 200, 100 } };
    for (auto [level, percent] : speaker)
        EXPECT_EQ(SpeakerPercent(level), percent) << int(level);
    EXPECT_EQ(MicrophonePercent(15), 100);
    EXPECT_EQ(MicrophonePercent(3), 20);
}

}

using Frames = std::vector<std::string>;

TEST(PhoneIndicatorMap, StrengthBecomesBarsAtEachTwentiethEdge)
{
    const std::pair<unsigned, int> edges[]
        = { { 0, 0 }, { 1, 1 }, { 20, 1 }, { 21, 2 }, { 80, 4 }, { 81, 5 }, { 100, 5 }, { 101, 5 }, { 4294967295u, 5 } };
    for (auto [strength, bars] : edges)
        EXPECT_EQ(handsfree::SignalBars(strength), bars) << strength;
}

TEST(PhoneIndicatorMap, NetworkBatteryAndAssistantPropertiesBecomeIndicatorAndTextEvents)
{
    Module m;
    m.Linked();
    (void)m.Frames();
    handsfree::PhoneIndicatorMap facts(m.core);
    facts.Strength(61);
    EXPECT_EQ(m.Frames(), Frames { "04 60 02 04" });
    facts.Strength(80); // still four bars: nothing new
    EXPECT_EQ(m.Frames(), Frames {});
    facts.Status("roaming");
    EXPECT_EQ(m.Frames(), (Frames { "04 60 05 01", "04 60 04 01" }));
    facts.Status("searching");
    EXPECT_EQ(m.Frames(), (Frames { "04 60 05 00", "04 60 04 00" }));
    facts.Battery(5);
    facts.Battery(6); // counts as five
    facts.Battery(0);
    EXPECT_EQ(m.Frames(), (Frames { "04 60 03 05", "04 60 03 00" }));
    // Cut to 32 characters, never inside one: 31 letters and a two-byte ä fit, a 33rd does not.
    facts.OperatorName(std::string(31, 'a') + "\xC3\xA4" + "z");
    auto cut = m.Frames();
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].size(), std::string("04 61 01").size() + 33 * 3);
    EXPECT_EQ(cut[0].substr(cut[0].size() - 5), "C3 A4");

    // Sent again with each state answer: the application flushes the line when it opens it.
    facts.Assistant(true);
    (void)m.Frames();
    m.Command({ 0x05 });
    EXPECT_THAT(m.Frames(), testing::Contains("04 60 07 01"));
    EXPECT_TRUE(m.core.PhoneIndicator(bridge::IndicatorKind::Assistant, 0));
    EXPECT_FALSE(m.core.PhoneIndicator(bridge::IndicatorKind::Assistant, 2));
    EXPECT_EQ(m.core.PhoneIndicatorValue(bridge::IndicatorKind::Assistant), std::optional<BYTE>(0));
}

TEST(PhoneIndicatorMap, FactsWaitForTheLinkAreSentAgainOnEachStateAnswerAndAreForgottenWithTheLink)
{
    Module m;
    m.Ready();
    (void)m.Frames();
    handsfree::PhoneIndicatorMap facts(m.core);
    facts.Strength(50);
    facts.OperatorName("Nord");
    EXPECT_EQ(m.Frames(), Frames {});
    m.map.Modem(kRoadModem, { "hfp", true });
    EXPECT_THAT(m.Frames(), testing::ElementsAre("04 03 02", "04 01 20", "04 60 02 03", "04 61 01 4E 6F 72 64"));
    m.Command({ 0x05 });
    EXPECT_THAT(m.Frames(), testing::ElementsAre("03 05 00 20", "04 60 02 03", "04 61 01 4E 6F 72 64"));
    m.map.ModemGone(kRoadModem);
    (void)m.Frames();
    m.Command({ 0x05 });
    EXPECT_EQ(m.Frames(), Frames { "03 05 00 08" });
    EXPECT_FALSE(m.core.PhoneIndicatorValue(bridge::IndicatorKind::Signal));
    // Only the phone's kinds, each within its range.
    using enum bridge::IndicatorKind;
    const std::tuple<bridge::IndicatorKind, BYTE, bool> values[] = { { Signal, 5, true }, { Signal, 6, false },
        { Roaming, 1, true }, { Roaming, 2, false }, { InbandRinging, 1, true }, { InbandRinging, 2, false },
        { HostStack, 1, false } };
    for (auto [kind, value, taken] : values)
        EXPECT_EQ(m.core.PhoneIndicator(kind, value), taken) << int(kind) << " " << int(value);
}

TEST(ModuleCoreBridgeAction, ActionsAreCheckedAgainstTheStateBeforeTheyReachThePhone)
{
    struct Case {
        const char* what;
        std::function<void(Module&)> given;
        std::vector<BYTE> command;
        std::string response;
        bool reached;
    };
    const Case cases[] = {
        { "swap with no call", Linked, { 0x62, 0x03 }, "03 62 01", false },
        { "action 0 is unknown", InCall("active"), { 0x62, 0x00 }, "03 62 02", false },
        { "action 6 with a linked phone", Linked, { 0x62, 0x06 }, "03 62 00", true },
        { "reject waiting, the last, in a call", InCall("active"), { 0x62, 0x07 }, "03 62 00", true },
        { "reject waiting with no call", Linked, { 0x62, 0x07 }, "03 62 01", false },
        { "action 8 is unknown", InCall("active"), { 0x62, 0x08 }, "03 62 02", false },
        { "no action byte", InCall("active"), { 0x62 }, "03 62 02", false },
        { "two action bytes", InCall("active"), { 0x62, 0x03, 0x03 }, "03 62 02", false },
        { "the assistant with no phone", Ready, { 0x62, 0x05 }, "03 62 01", false },
    };
    for (const Case& c : cases) {
        Module m;
        c.given(m);
        (void)m.Frames();
        m.Command(c.command);
        EXPECT_EQ(m.Frames(), Frames { c.response }) << c.what;
        using Actions = std::vector<bridge::Action>;
        EXPECT_EQ(m.phones.actions, c.reached ? Actions { bridge::Action(c.command[1]) } : Actions {}) << c.what;
    }
}

// Held, swapped, merged and ended through the application: tests/e2e/bluez/call_waiting.py.
TEST(HandsFreeMap, SecondCallIsReportedOnceForEachOfItsStatesAndItsEnd)
{
    using Calls = std::vector<std::string>;
    const std::string second = kRoadModem + "/voicecall02";
    Module m;
    InCall("active")(m);
    (void)m.Frames();
    EXPECT_FALSE(m.core.SecondCall(bridge::SecondCall::SecondAlone)) << "no second call to be left alone";

    m.map.Call(second, "waiting", "777");
    EXPECT_EQ(m.Frames(), (Frames { "04 61 02 37 37 37", "04 60 06 01" })) << "the number first, then the call";
    EXPECT_EQ(m.map.CallsToEnd(), Calls { kCall }) << "the device's end is the active call's";
    m.map.Call(kCall, "held", "555");
    EXPECT_EQ(m.Frames(), Frames {}) << "held, while the second still waits";
    m.map.Call(second, "active", "777");
    EXPECT_EQ(m.Frames(), Frames { "04 60 06 02" });
    EXPECT_EQ(m.map.CallsToEnd(), Calls { second });
    m.map.Call(second, "held", "777");
    m.map.Call(kCall, "active", "555");
    EXPECT_EQ(m.Frames(), Frames { "04 60 06 03" }) << "both held for a moment tells nothing";

    // The first call ends while the second is held: the second is the call, the next waits behind.
    m.map.CallGone(kCall);
    EXPECT_EQ(m.Frames(), Frames { "04 60 06 05" });
    m.map.Call(kCall, "waiting", "888");
    EXPECT_EQ(m.Frames(), (Frames { "04 61 02 38 38 38", "04 60 06 01" }));
    // Rejected, or given up by its caller.
    m.map.CallGone(kCall);
    EXPECT_EQ(m.Frames(), Frames { "04 60 06 00" });
    EXPECT_EQ(m.core.MainState(), ModuleCore::kInCall);
}
