#include "platform/devices/SoundVoice.h"

#include <algorithm>
#include <cstring>

void SoundVoice::Start(std::shared_ptr<const PcmSound> sound, bool loop)
{
    if (sound && sound->Frames() == 0)
        sound.reset();
    std::unique_lock lock(m_mutex);
    m_sound.swap(sound);
    m_position = 0;
    m_loop = loop;
    m_finished = false;
    // The replaced sound is released after the lock, never on the audio thread.
    lock.unlock();
}

void SoundVoice::Stop() { Start(nullptr, false); }

bool SoundVoice::IsPlaying() const
{
    std::lock_guard lock(m_mutex);
    return m_sound && !m_finished;
}

void SoundVoice::SetGain(uint32_t left, uint32_t right)
{
    std::lock_guard lock(m_mutex);
    m_gain[0] = left;
    m_gain[1] = right;
}

void SoundVoice::SetMuted(bool muted)
{
    std::lock_guard lock(m_mutex);
    m_muted = muted;
}

void SoundVoice::Render(int16_t* out, size_t frames)
{
    std::memset(out, 0, frames * PcmSound::kChannels * sizeof(int16_t));
    std::lock_guard lock(m_mutex);
    size_t done = 0;
    while (m_sound && !m_finished && done < frames) {
        size_t total = m_sound->Frames();
        size_t count = std::min(frames - done, total - m_position);
        if (!m_muted) {
            const int16_t* in = m_sound->samples.data() + m_position * PcmSound::kChannels;
            int16_t* dst = out + done * PcmSound::kChannels;
            for (size_t i = 0; i < count * PcmSound::kChannels; ++i)
                dst[i] = int16_t((int64_t(in[i]) * m_gain[i % PcmSound::kChannels]) >> 16);
        }
        done += count;
        m_position += count;
        if (m_position >= total) {
            m_position = 0;
            // The sound is kept until the next Start, so it is never freed on the audio thread.
            m_finished = !m_loop;
        }
    }
}
