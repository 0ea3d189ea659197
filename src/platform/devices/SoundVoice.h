#pragma once

// The single voice of the sound player: the sound in progress, where it is, whether it loops,
// and the gain and mute it is heard with. The output pulls samples from it (on the audio thread
// for a real device); everything else sets it from the interface thread.

#include "platform/devices/PcmConverter.h"

#include <cstdint>
#include <memory>
#include <mutex>

class SoundVoice {
public:
    // Gains are 16.16 fixed point: kUnityGain leaves samples as they are.
    static constexpr uint32_t kUnityGain = 0x10000;

    // Replaces whatever plays, from its start; an empty sound just stops.
    void Start(std::shared_ptr<const PcmSound> sound, bool loop);
    void Stop();
    bool IsPlaying() const;

    void SetGain(uint32_t left, uint32_t right);
    // A muted voice keeps its place and runs on in silence.
    void SetMuted(bool muted);

    // Fills frames of interleaved stereo; silence where nothing plays.
    void Render(int16_t* out, size_t frames);

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const PcmSound> m_sound;
    size_t m_position = 0;
    bool m_loop = false;
    bool m_finished = false;
    bool m_muted = false;
    uint32_t m_gain[PcmSound::kChannels] = { kUnityGain, kUnityGain };
};
