#pragma once

// Speech made from text by the espeak-ng library, synchronously and into memory, never to a sound
// device. The library is one per process and loads its data (a few megabytes, a few hundred
// milliseconds) on first use; the application keeps it out of its own process and runs this in
// ostrilan-say, once per text.

#include "platform/devices/WaveReader.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class EspeakVoice {
public:
    // Longer texts are cut: a caller's name or number, not a letter.
    static constexpr size_t kMaxTextBytes = 256;
    // What one text may become at most; the rest is dropped.
    static constexpr uint32_t kMaxSeconds = 20;
    // The voice used where the one asked for is missing.
    static constexpr const char* kFallbackVoice = "en";

    // Mono 16-bit samples at the library's rate (22050 Hz) of the UTF-8 text in the voice
    // ("de", "en-gb" ...). dataFolder holds espeak-ng-data/; empty: where the library looks by
    // itself (Debian's espeak-ng-data package). Nothing, with the reason, when the library or
    // its data is missing or the text makes no sound.
    static std::optional<WaveData> Say(std::string_view text, const std::string& voice,
        const std::filesystem::path& dataFolder, std::string& error);
};
