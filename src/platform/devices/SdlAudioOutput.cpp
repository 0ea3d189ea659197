#include "platform/devices/SdlAudioOutput.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kWantedRate = 44100;
// About 23 ms at 44.1 kHz: short enough that a key click follows the tap at once.
constexpr Uint16 kBufferFrames = 1024;

// Without a sound card or sound server SDL falls through to its ALSA back end, whose library
// prints about ten "ALSA lib ..." lines on standard error before it fails: so SDL is not asked
// then. A driver named in SDL_AUDIODRIVER ("disk", "dummy") is always tried.
bool SoundDeviceReachable()
{
    if (const char* driver = std::getenv("SDL_AUDIODRIVER"); driver && *driver)
        return true;
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server)
        return true;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        std::error_code ec;
        for (const char* socket : { "pulse/native", "pipewire-0" }) {
            if (std::filesystem::exists(std::filesystem::path(runtime) / socket, ec))
                return true;
        }
    }
    // A card is a line " 0 [PCH    ]: ..."; without one the file says "--- no soundcards ---".
    std::ifstream cards("/proc/asound/cards");
    std::string line;
    while (std::getline(cards, line)) {
        const size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && std::isdigit(static_cast<unsigned char>(line[first])))
            return true;
    }
    return false;
}

}

std::unique_ptr<SdlAudioOutput> SdlAudioOutput::Open(std::string& error)
{
    if (!SoundDeviceReachable()) {
        error = "no sound card or sound server";
        return nullptr;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<SdlAudioOutput> output(new SdlAudioOutput());
    SDL_AudioSpec want {};
    want.freq = kWantedRate;
    want.format = AUDIO_S16SYS;
    want.channels = PcmSound::kChannels;
    want.samples = kBufferFrames;
    want.callback = &SdlAudioOutput::Callback;
    want.userdata = output.get();
    SDL_AudioSpec have {};
    // SDL converts channels and sample format itself; a different rate is taken as it comes and the
    // sounds are resampled to it when they are loaded.
    output->m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (output->m_device == 0) {
        error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    output->m_rate = uint32_t(have.freq);
    const char* driver = SDL_GetCurrentAudioDriver();
    output->m_driver = driver ? driver : "?";
    SDL_PauseAudioDevice(output->m_device, 0);
    return output;
}

SdlAudioOutput::~SdlAudioOutput()
{
    // Closing waits for the callback to return, so the voice outlives its last use.
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

std::string SdlAudioOutput::Name() const { return "sdl " + m_driver + " " + std::to_string(m_rate); }

void SdlAudioOutput::Start(std::shared_ptr<const PcmSound> sound, bool loop, const std::string&)
{
    m_voice.Start(std::move(sound), loop);
}

void SdlAudioOutput::Stop()
{
    m_voice.Stop();
    m_over.Stop();
}

void SdlAudioOutput::Callback(void* self, Uint8* stream, int length)
{
    auto* output = static_cast<SdlAudioOutput*>(self);
    size_t frames = size_t(length) / (PcmSound::kChannels * sizeof(int16_t));
    output->Mix(reinterpret_cast<int16_t*>(stream), frames);
}
