#include "EspeakVoice.h"

#include <espeak-ng/espeak_ng.h>

#include <algorithm>

namespace {

// The data folder the library was started with; empty while it is not started.
std::optional<std::string> g_startedWith;

struct Collected {
    std::vector<int16_t> samples;
    size_t maxSamples = 0;
};
// Where the synthesis under way puts its samples.
Collected* g_collecting = nullptr;

int OnSamples(short* samples, int count, espeak_EVENT*)
{
    Collected* out = g_collecting;
    if (!samples || count <= 0 || !out)
        return 0;
    const size_t room = out->maxSamples - out->samples.size();
    const size_t taken = std::min(room, size_t(count));
    out->samples.insert(out->samples.end(), samples, samples + taken);
    // 1 ends the synthesis early.
    return taken < size_t(count) ? 1 : 0;
}

std::string Message(espeak_ng_STATUS status)
{
    char text[256] = {};
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    return text;
}

// Starts the library on the folder unless it already runs on it; false with the reason.
bool Start(const std::string& folder, std::string& error)
{
    if (g_startedWith == folder)
        return true;
    if (g_startedWith) {
        espeak_ng_Terminate();
        g_startedWith.reset();
    }
    espeak_ng_InitializePath(folder.empty() ? nullptr : folder.c_str());
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status != ENS_OK) {
        error = "espeak-ng cannot start: " + Message(status);
        return false;
    }
    status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
    if (status != ENS_OK) {
        error = "espeak-ng has no synchronous output: " + Message(status);
        espeak_ng_Terminate();
        return false;
    }
    espeak_SetSynthCallback(&OnSamples);
    g_startedWith = folder;
    return true;
}

}

std::optional<WaveData> EspeakVoice::Say(std::string_view text, const std::string& voice,
    const std::filesystem::path& dataFolder, std::string& error)
{
    if (!Start(dataFolder.string(), error))
        return std::nullopt;
    if (espeak_ng_SetVoiceByName(voice.c_str()) != ENS_OK) {
        espeak_ng_STATUS status = espeak_ng_SetVoiceByName(kFallbackVoice);
        if (status != ENS_OK) {
            error
                = "espeak-ng has neither voice " + voice + " nor " + kFallbackVoice + ": " + Message(status);
            return std::nullopt;
        }
    }
    const int rate = espeak_ng_GetSampleRate();
    if (rate < int(WaveReader::kMinRate) || rate > int(WaveReader::kMaxRate)) {
        error = "espeak-ng speaks at an unusable rate";
        return std::nullopt;
    }
    // Cut at a character's start, never inside one of UTF-8's sequences.
    size_t size = std::min(text.size(), kMaxTextBytes);
    while (size > 0 && size < text.size() && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80)
        --size;
    const std::string cut(text.substr(0, size));
    Collected collected;
    collected.maxSamples = size_t(rate) * kMaxSeconds;
    g_collecting = &collected;
    espeak_ng_STATUS status = espeak_ng_Synthesize(
        cut.c_str(), cut.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    g_collecting = nullptr;
    // The library calls a synthesis that OnSamples ended at the time limit stopped.
    const bool timeUp = status == ENS_SPEECH_STOPPED && collected.samples.size() == collected.maxSamples;
    if (status != ENS_OK && !timeUp) {
        error = "espeak-ng could not say it: " + Message(status);
        return std::nullopt;
    }
    // An empty text still gives a short silence.
    const bool silent
        = std::all_of(collected.samples.begin(), collected.samples.end(), [](int16_t s) { return s == 0; });
    if (silent) {
        error = "espeak-ng made no sound of it";
        return std::nullopt;
    }
    WaveData wave;
    wave.rate = uint32_t(rate);
    wave.channels = 1;
    wave.bitsPerSample = 16;
    wave.samples = std::move(collected.samples);
    return wave;
}
