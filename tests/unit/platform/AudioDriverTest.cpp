#include "platform/devices/AudioDriver.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/SoundPlayer.h"
#include "platform/tooling/Trace.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

class AudioDriverTest : public ::testing::Test {
protected:
    DWORD Query(DWORD which)
    {
        DWORD answer = 0xDEADBEEF;
        EXPECT_EQ(m_driver.Message(AudioDriver::kMsgSwitch, which, reinterpret_cast<DWORD_PTR>(&answer)), MMSYSERR_NOERROR);
        return answer;
    }
    MMRESULT Switch(DWORD value) { return m_driver.Message(AudioDriver::kMsgSwitch, value, 0); }

    SoundPlayer m_player { std::make_unique<NullAudioOutput>() };
    AudioDriver m_driver { m_player };
};

}

TEST_F(AudioDriverTest, QueriesFollowEverySwitch)
{
    struct Step {
        DWORD request;
        DWORD micAnswer;
        DWORD muteAnswer;
    } steps[] = {
        { AudioDriver::kMicOn, 2, 1 },
        { AudioDriver::kMute, 2, 0 },
        { AudioDriver::kSpeakerOn, 2, 0 },
        { AudioDriver::kMicOff, 0, 0 },
        { AudioDriver::kUnmute, 0, 1 },
        { AudioDriver::kSpeakerOff, 0, 1 },
        { AudioDriver::kMicOn, 2, 1 },
        { AudioDriver::kMicOn, 2, 1 },
    };
    EXPECT_EQ(Query(AudioDriver::kQueryMic), 0u) << "microphone off at start";
    EXPECT_EQ(Query(AudioDriver::kQueryMute), 1u) << "sounding at start";
    for (const Step& s : steps) {
        ASSERT_EQ(Switch(s.request), MMSYSERR_NOERROR);
        EXPECT_EQ(Query(AudioDriver::kQueryMic), s.micAnswer) << "after " << s.request;
        EXPECT_EQ(Query(AudioDriver::kQueryMute), s.muteAnswer) << "after " << s.request;
    }
    EXPECT_TRUE(m_driver.CallMicOn());
    EXPECT_FALSE(m_driver.CallSpeakerOn());
}

TEST_F(AudioDriverTest, MuteReachesThePlayer)
{
    Switch(AudioDriver::kMute);
    EXPECT_TRUE(m_player.Muted());
    Switch(AudioDriver::kUnmute);
    EXPECT_FALSE(m_player.Muted());
}

TEST_F(AudioDriverTest, KeepsBluetoothAudioRouteAndVolumeBracket)
{
    EXPECT_EQ(m_driver.Message(AudioDriver::kMsgBtAudio, AudioDriver::kBtAudioOn, 0), MMSYSERR_NOERROR);
    EXPECT_TRUE(m_driver.BtAudioOn());
    m_driver.Message(AudioDriver::kMsgRouteFirst, AudioDriver::kRoutePhone, 0);
    m_driver.Message(AudioDriver::kMsgRouteSecond, AudioDriver::kRoutePhone, 0);
    EXPECT_EQ(m_driver.RouteFirst(), AudioDriver::kRoutePhone);
    EXPECT_EQ(m_driver.RouteSecond(), AudioDriver::kRoutePhone);
    m_driver.Message(AudioDriver::kMsgSwitch, AudioDriver::kVolumeChange, 1);
    EXPECT_TRUE(m_driver.InVolumeChange());
    m_driver.Message(AudioDriver::kMsgSwitch, AudioDriver::kVolumeChange, 0);
    EXPECT_FALSE(m_driver.InVolumeChange());
    EXPECT_EQ(m_driver.Message(AudioDriver::kMsgBtAudio, AudioDriver::kBtAudioOff, 0), MMSYSERR_NOERROR);
    EXPECT_FALSE(m_driver.BtAudioOn());
}

TEST_F(AudioDriverTest, RefusesUnknownRequestsWithoutChangingState)
{
    EXPECT_EQ(m_driver.Message(8092, 1, 0), MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(Switch(0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(Switch(10), MMSYSERR_INVALPARAM);
    EXPECT_EQ(m_driver.Message(AudioDriver::kMsgBtAudio, 3, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(m_driver.Message(AudioDriver::kMsgRouteFirst, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(m_driver.Message(AudioDriver::kMsgSwitch, AudioDriver::kQueryMic, 0), MMSYSERR_INVALPARAM) << "no answer slot";
    EXPECT_FALSE(m_driver.BtAudioOn());
    EXPECT_EQ(m_driver.RouteFirst(), 0u);
}

TEST_F(AudioDriverTest, TracesEveryRequestWithItsParameters)
{
    testenv::TempDir dir;
    ASSERT_TRUE(Trace::Open((dir / "trace").string()));
    m_driver.Message(AudioDriver::kMsgSwitch, AudioDriver::kMicOn, 0);
    Query(AudioDriver::kQueryMic);
    m_driver.Message(AudioDriver::kMsgRouteSecond, AudioDriver::kRouteNormal, 0);
    m_driver.Message(AudioDriver::kMsgSwitch, 42, 0);
    Trace::Close();
    std::string trace = testenv::ReadFile(dir / "trace");
    for (const char* expected : { " audio 8091 4 0\n", " audio 8091 5 -> 2\n", " audio 8099 2 0\n", " audio 8091 42 0 refused\n" })
        EXPECT_NE(trace.find(expected), std::string::npos) << expected << " in:\n" << trace;
}
