#pragma once

// A real audio device through SDL2. The device runs from opening to closing and the callback pulls
// the voice (silence while nothing plays), so starting a sound never waits for the device.
// SDL_AUDIODRIVER chooses SDL's driver as usual; "disk" with SDL_DISKAUDIOFILE writes the raw
// output to a file, which is how the tests listen.

#include "platform/devices/AudioOutput.h"

#include <SDL.h>

class SdlAudioOutput final : public AudioOutput {
public:
    // Null, with the reason in error, when no device can be opened.
    static std::unique_ptr<SdlAudioOutput> Open(std::string& error);
    ~SdlAudioOutput() override;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    std::string Name() const override;
    uint32_t Rate() const override { return m_rate; }
    void Start(std::shared_ptr<const PcmSound> sound, bool loop, const std::string& source) override;
    void Stop() override;
    bool IsPlaying() const override { return m_voice.IsPlaying(); }

private:
    SdlAudioOutput() = default;
    static void Callback(void* self, Uint8* stream, int length);

    SDL_AudioDeviceID m_device = 0;
    uint32_t m_rate = 0;
    std::string m_driver;
};
