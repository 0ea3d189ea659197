#include "AudioFixture.h"
#include "ui/AudioDriverRequests.h"

#include <functional>

TEST_F(AudioFixture, EachDriverRequestSendsItsMessages)
{
    struct Case {
        const char* name;
        std::function<void()> request;
        std::vector<std::string> trace;
    } cases[] = {
        { "bt audio on", [] { SetBtAudio(true); }, { "audio 8090 1 0" } },
        { "bt audio off", [] { SetBtAudio(false); }, { "audio 8090 2 0" } },
        { "speaker on", [] { SetCallSpeaker(true); }, { "audio 8091 1 0" } },
        { "speaker off", [] { SetCallSpeaker(false); }, { "audio 8091 2 0" } },
        { "mic on", [] { SetCallMic(true); }, { "audio 8091 4 0" } },
        { "mic off", [] { SetCallMic(false); }, { "audio 8091 3 0" } },
        { "route phone", [] { RouteAudio(AudioRoute::Phone); }, { "audio 8098 1 0", "audio 8099 1 0" } },
        { "route normal", [] { RouteAudio(AudioRoute::Normal); }, { "audio 8098 2 0", "audio 8099 2 0" } },
    };
    TakeTrace();
    for (const Case& c : cases) {
        c.request();
        EXPECT_EQ(TakeTrace(), c.trace) << c.name;
    }
}
