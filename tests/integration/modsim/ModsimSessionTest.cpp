#include "ModsimFixture.h"

using namespace std::chrono_literals;

// Pairing, connecting and the calls answered, rejected, given up and dialled are the tour's and its
// soak's against this simulator; these are the answers they never provoke.

namespace {

bool CallOver(const ModuleMessage& m)
{
    return (m.wParam & 0xFF) == 0 && m.lParam == 0;
}

}

TEST_F(ModsimTest, PairingTimesOutAndConnectDisconnectAndDeleteAnswerByState)
{
    StartSim({ "--pair-timeout", "200" });
    EXPECT_EQ(StatusOf(link.CancelPairing(), WM_BT_PAIR_CANCEL), 1u) << "cancel while not pairing";
    // A pairing window nobody uses closes by itself.
    EXPECT_EQ(StatusOf(link.StartPairing(0), WM_BT_PAIR_MODE), 0u);
    ASSERT_TRUE(AwaitState(2));
    EXPECT_EQ(AwaitStatus(WM_BT_EV_02), 0u);
    EXPECT_TRUE(AwaitState(1));

    // The zero address reconnects the first paired phone (the road phone), which cannot then be
    // deleted. The default phones' names on Connect are the documented commands' end-to-end test.
    const BtAddress first { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x01 }, zero {};
    ConnectPhone();
    EXPECT_EQ(StatusOf(link.Connect(0, zero), WM_BT_CONNECT), 1u) << "already connected";
    EXPECT_EQ(StatusOf(link.StartPairing(1), WM_BT_PAIR_MODE), 1u);
    EXPECT_EQ(StatusOf(link.DeletePairing(first), WM_BT_PAIR_DELETE), 1u);
    EXPECT_EQ(StatusOf(link.Disconnect(), WM_BT_DISCONNECT), 0u);
    EXPECT_TRUE(AwaitState(1));
    EXPECT_EQ(StatusOf(link.Disconnect(), WM_BT_DISCONNECT), 1u);
    EXPECT_EQ(StatusOf(link.DeletePairing(first), WM_BT_PAIR_DELETE), 0u);
    EXPECT_EQ(StatusOf(link.DeletePairing(first), WM_BT_PAIR_DELETE), 3u);

    // An address nobody has, and a connection that fails.
    const BtAddress stranger { 9, 9, 9, 9, 9, 9 };
    EXPECT_EQ(StatusOf(link.Connect(0, stranger), WM_BT_CONNECT), 3u);
    EXPECT_EQ(Ask("failconnect"), "ok");
    EXPECT_EQ(StatusOf(link.Connect(0, zero), WM_BT_CONNECT), 0u);
    EXPECT_EQ(AwaitStatus(WM_BT_EV_LINK), 0u);
}

TEST_F(ModsimTest, CallsAnswerDtmfAudioAndRejectByStateAndTimeOut)
{
    StartSim({ "--alert-timeout", "700", "--ring-timeout", "500" });
    ConnectPhone();
    ASSERT_EQ(Ask("ring 5551234"), "ok ringing");
    ASSERT_TRUE(AwaitState(5));
    EXPECT_TRUE(Await(WM_BT_EV_RING)) << "phones repeat the ring while it rings";
    EXPECT_EQ(StatusOf(link.SendDtmf('1'), WM_BT_DTMF), 1u) << "no call in progress yet";
    ASSERT_EQ(Ask("answer"), "ok answered");
    EXPECT_TRUE(AwaitState(6, false)) << "answered on the phone, the voice stays there";
    EXPECT_EQ(StatusOf(link.SendDtmf('#'), WM_BT_DTMF), 0u);
    EXPECT_EQ(StatusOf(link.TransferAudio(), WM_BT_AUDIO_TRANSFER), 0u);
    EXPECT_TRUE(AwaitState(6, true));
    EXPECT_EQ(StatusOf(link.EndCall(), WM_BT_HANGUP), 0u);
    EXPECT_TRUE(Await(WM_BT_EV_CALL_STATUS, CallOver));
    EXPECT_TRUE(AwaitState(4, false));
    EXPECT_TRUE(Quiet(WM_BT_EV_RING, 400ms)) << "the ring stops with the call";

    EXPECT_EQ(StatusOf(link.RejectCall(), WM_BT_REJECT), 1u) << "nothing rings";
    // Nobody answers: the ring stops by itself.
    ASSERT_EQ(Ask("ring 5550003"), "ok ringing");
    ASSERT_TRUE(AwaitState(5));
    EXPECT_TRUE(Await(WM_BT_EV_CALL_STATUS, CallOver, 2000ms));
    EXPECT_TRUE(AwaitState(4));

    // A dialled number rings at the other end, repeating its call status, and gives up.
    EXPECT_EQ(StatusOf(link.Dial("5550199", 7), WM_BT_DIAL), 0u);
    EXPECT_EQ(AwaitStatus(WM_BT_EV_CALL_STATUS), 0x0201u);
    EXPECT_TRUE(Await(WM_BT_EV_CALL_STATUS, [](auto& m) { return m.wParam == 0x0201; }));
    EXPECT_TRUE(Await(WM_BT_EV_CALL_STATUS, CallOver, 2000ms));
    EXPECT_TRUE(Ask("state").starts_with("ok state 4 audio 0"));
    EXPECT_EQ(StatusOf(link.Dial("555-0", 5), WM_BT_DIAL), 2u) << "not a dial character";
    const std::string longest(32, '5');
    EXPECT_EQ(StatusOf(link.Dial(longest.c_str(), 32), WM_BT_DIAL), 0u) << "the longest dial string";
}

// --bare-list plays a module that keeps no names: its lists come without them.
TEST_F(ModsimTest, AnswersQueriesSettingsAndBarePairedListsOfNoneAndTooMany)
{
    StartSim({ "--bare-list" });
    const std::pair<int, ModuleMessage> lists[] = { { 0, { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_EMPTY } },
        { 8, { WM_BT_PAIRED_LIST, 8, 0 } }, { 9, { WM_BT_PAIRED_LIST, 0, BT_PAIRED_LIST_TOO_MANY } } };
    for (const auto& [phones, expected] : lists) {
        ASSERT_EQ(Ask("phones " + std::to_string(phones)), "ok " + std::to_string(phones) + " phones");
        EXPECT_EQ(Answer(link.GetPairedList(), WM_BT_PAIRED_LIST), expected) << phones;
    }
    EXPECT_TRUE(Quiet(WM_BT_EV_DEVICE_NAME, 500ms));

    EXPECT_EQ(StatusOf(link.GetFirmwareVersion(), WM_BT_FW_VERSION), 0u);
    EXPECT_EQ(link.FirmwareVersion(), u"OSM-2.1.0 simulator");
    EXPECT_EQ(StatusOf(link.GetLocalAddress(), WM_BT_LOCAL_ADDR), 0u);
    EXPECT_EQ(link.LocalAddress()[1], 0x0B);
    // A refusal carries the level kept, so the status tells them apart.
    EXPECT_EQ(
        Answer(link.SetSpeakerVolume(14), WM_BT_SPK_VOLUME), (ModuleMessage { WM_BT_SPK_VOLUME, 0, 14 }));
    EXPECT_EQ(
        Answer(link.SetSpeakerVolume(15), WM_BT_SPK_VOLUME), (ModuleMessage { WM_BT_SPK_VOLUME, 2, 14 }));
    EXPECT_EQ(Answer(link.SetMicGain(6), WM_BT_MIC_GAIN), (ModuleMessage { WM_BT_MIC_GAIN, 0, 6 }));
    ASSERT_EQ(Ask("volume 11"), "ok");
    EXPECT_EQ(AwaitStatus(WM_BT_EV_SPK_VOLUME), 11u);
}

