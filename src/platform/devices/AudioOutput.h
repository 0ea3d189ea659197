#pragma once

// Where the sound player's one voice is heard: a real audio device, or nothing at all.

#include "platform/devices/SoundVoice.h"

#include <memory>
#include <string>

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // "sdl" or "null", for the trace.
    virtual std::string Name() const = 0;
    // Frames per second the voice must be given.
    virtual uint32_t Rate() const = 0;

    virtual void Start(std::shared_ptr<const PcmSound> sound, bool loop, const std::string& source) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;

    void SetGain(uint32_t left, uint32_t right) { m_voice.SetGain(left, right); }
    void SetMuted(bool muted) { m_voice.SetMuted(muted); }

protected:
    SoundVoice m_voice;
};
