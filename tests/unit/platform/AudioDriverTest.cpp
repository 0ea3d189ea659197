#include "platform/devices/AudioDriver.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/SoundPlayer.h"

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
