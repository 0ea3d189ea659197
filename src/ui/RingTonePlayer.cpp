#include "ui/RingTonePlayer.h"

#include "platform/devices/AudioSystem.h"
#include "platform/devices/SoundApi.h"
#include "platform/loop/Clock.h"
#include "store/AppFolders.h"

namespace {

constexpr DWORD kRingTone2 = 2;
constexpr DWORD kRingTone3 = 3;

const char16_t* RingToneFile(DWORD tone)
{
    if (tone == kRingTone2)
        return u"ring_2.wav";
    if (tone == kRingTone3)
        return u"ring_3.wav";
    return u"ring_1.wav";
}

// Each failure is followed by the wait, the last one too.
template <typename Request> bool TryThreeTimes(Request request)
{
    for (int attempt = 0; attempt < RingTonePlayer::kTries; ++attempt) {
        if (request())
            return true;
        Sleep(RingTonePlayer::kRetryDelayMs);
    }
    return false;
}

}

void RingTonePlayer::Start(DWORD tone)
{
    if (m_bPlaying)
        return;
    WString path = RingtonePath(RingToneFile(tone));
    m_toneLengthMs = 0;
    if (TryThreeTimes([&] { return PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_LOOP); })) {
        m_bPlaying = true;
        m_toneLengthMs = AudioSystem::Current().Player().LastLengthMs();
    }
}

void RingTonePlayer::Stop()
{
    if (!m_bPlaying)
        return;
    if (TryThreeTimes([] { return PlaySoundW(nullptr, nullptr, 0); }))
        m_bPlaying = false;
}
