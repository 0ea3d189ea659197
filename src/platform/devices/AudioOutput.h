#pragma once

// Where the sound player's one voice is heard: a real audio device, or nothing at all. A second,
// one-shot sound may be laid over the voice (a caller's name said over the ring); while it plays
// the voice is ducked, and it comes back to its gain when the sound over it ends.

#include "platform/devices/SoundVoice.h"

#include <memory>
#include <string>

class AudioOutput {
public:
    // The voice's share of its gain while a sound over it plays (16.16: a quarter, about -12 dB).
    static constexpr uint32_t kDuckGain = SoundVoice::kUnityGain / 4;

    virtual ~AudioOutput() = default;

    // "sdl" or "null", for the trace.
    virtual std::string Name() const = 0;
    // Frames per second the voice must be given.
    virtual uint32_t Rate() const = 0;

    virtual void Start(std::shared_ptr<const PcmSound> sound, bool loop, const std::string& source) = 0;
    // Stops the voice and the sound over it.
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
    // Plays the sound once over the voice, replacing one already over it.
    virtual void StartOver(std::shared_ptr<const PcmSound> sound, const std::string& source);
    bool IsPlayingOver() const { return m_over.IsPlaying(); }

    void SetGain(uint32_t left, uint32_t right);
    void SetMuted(bool muted);

protected:
    // Fills frames of interleaved stereo with the voice, ducked, and the sound over it.
    void Mix(int16_t* out, size_t frames);

    SoundVoice m_voice;
    SoundVoice m_over;
};
