#include "platform/devices/AudioOutput.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

// Mixed in steps of this many frames, so the audio thread needs no memory of its own.
constexpr size_t kMixFrames = 256;

int16_t Saturate(int32_t sample)
{
    return int16_t(std::clamp<int32_t>(
        sample, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

}

void AudioOutput::StartOver(std::shared_ptr<const PcmSound> sound, const std::string&)
{
    m_over.Start(std::move(sound), false);
}

void AudioOutput::SetGain(uint32_t left, uint32_t right)
{
    m_voice.SetGain(left, right);
    m_over.SetGain(left, right);
}

void AudioOutput::SetMuted(bool muted)
{
    m_voice.SetMuted(muted);
    m_over.SetMuted(muted);
}

void AudioOutput::Mix(int16_t* out, size_t frames)
{
    const bool over = m_over.IsPlaying();
    m_voice.Render(out, frames);
    if (!over)
        return;
    std::array<int16_t, kMixFrames * PcmSound::kChannels> chunk {};
    for (size_t done = 0; done < frames; done += kMixFrames) {
        const size_t count = std::min(kMixFrames, frames - done);
        m_over.Render(chunk.data(), count);
        int16_t* dst = out + done * PcmSound::kChannels;
        for (size_t i = 0; i < count * PcmSound::kChannels; ++i)
            dst[i] = Saturate(((int32_t(dst[i]) * int32_t(kDuckGain)) >> 16) + chunk[i]);
    }
}
