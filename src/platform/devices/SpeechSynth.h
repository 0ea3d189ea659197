#pragma once

// Speech made from text by the helper program ostrilan-say (espeak-ng), synchronously and into
// memory, never to a sound device. The library and its data live in the helper, which ends with
// each text, so the application keeps none of their memory between calls. It takes a few hundred
// milliseconds: call it off the interface thread.

#include "platform/devices/WaveReader.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class SpeechSynth {
public:
    // How long the helper may take for one text; then it is ended and nothing is said.
    static constexpr std::chrono::milliseconds kTimeLimit { 10000 };
    // The most it may write: 20 seconds of mono speech at 48 kHz, with room for the header.
    static constexpr size_t kMaxWaveBytes = 2 * 1024 * 1024;

    // program: the helper (by default ostrilan-say where the application's helpers are);
    // dataFolder holds espeak-ng-data/, empty: where the library looks by itself.
    explicit SpeechSynth(std::filesystem::path program = {}, std::filesystem::path dataFolder = {},
        std::chrono::milliseconds limit = kTimeLimit);

    // Mono 16-bit samples of the UTF-8 text in the voice ("de", "en-gb" ...). Nothing, with the
    // reason, when the helper, the library or its data is missing, the helper fails or takes too
    // long, or the text makes no sound.
    std::optional<WaveData> Say(std::string_view text, const std::string& voice, std::string& error) const;

private:
    std::filesystem::path m_program;
    std::filesystem::path m_dataFolder;
    std::chrono::milliseconds m_limit;
};
