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
        EXPECT_EQ(m_driver.Message(8091, which, reinterpret_cast<DWORD_PTR>(&answer)), MMSYSERR_NOERROR);
        return answer;
    }

    SoundPlayer m_player { std::make_unique<NullAudioOutput>() };
    AudioDriver m_driver { m_player };
};

}

// What each switch does to the answers the screens read is CallScreenTest's (microphone 3 / 4,
// query 5) and MasterVolumeTest's (mute 6 / 7, query 8).
TEST_F(AudioDriverTest, StartsWithTheMicrophoneOffAndRefusesUnknownRequests)
{
    EXPECT_EQ(Query(5), 0u) << "microphone off at start";
    EXPECT_EQ(Query(8), 1u) << "sounding at start";
    ASSERT_EQ(m_driver.Message(8091, 4, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(Query(5), 2u);
    EXPECT_TRUE(m_driver.CallMicOn());
    EXPECT_FALSE(m_driver.CallSpeakerOn());

    // Unknown requests, and a query with no answer slot (the last), are refused and change nothing.
    EXPECT_EQ(m_driver.Message(8092, 1, 0), MMSYSERR_NOTSUPPORTED);
    const std::pair<UINT, DWORD> invalid[] = { { 8091, 0 }, { 8091, 10 }, { 8090, 3 }, { 8098, 0 }, { 8091, 5 } };
    for (const auto& [message, value] : invalid)
        EXPECT_EQ(m_driver.Message(message, value, 0), MMSYSERR_INVALPARAM) << message << " " << value;
    EXPECT_FALSE(m_driver.BtAudioOn());
    EXPECT_EQ(m_driver.RouteFirst(), 0u);
    EXPECT_EQ(Query(5), 2u) << "the microphone stays on";
}
