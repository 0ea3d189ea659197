#pragma once

// Speech made from text by the espeak-ng library, synchronously and into memory, never to a sound
// device. The library is one per process and not made for threads: syntheses take turns, and the
// first one loads its data (a few hundred milliseconds), so call it off the interface thread.

#include "platform/devices/WaveReader.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class SpeechSynth {
public:
    // Longer texts are cut: a caller's name or number, not a letter.
    static constexpr size_t kMaxTextBytes = 256;
    // What one text may become at most; the rest is dropped.
    static constexpr uint32_t kMaxSeconds = 20;
    // The voice used where the one asked for is missing.
    static constexpr const char* kFallbackVoice = "en";

    // dataFolder holds espeak-ng-data/; empty: where the library looks by itself (Debian's
    // espeak-ng-data package).
    explicit SpeechSynth(std::filesystem::path dataFolder = {});

    // Mono 16-bit samples at the library's rate (22050 Hz) of the UTF-8 text in the voice
    // ("de", "en-gb" ...). Nothing, with the reason, when the library or its data is missing or
    // the text makes no sound.
    std::optional<WaveData> Say(std::string_view text, const std::string& voice, std::string& error) const;

private:
    std::filesystem::path m_dataFolder;
};
