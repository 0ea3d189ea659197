#pragma once

// A careful reader of RIFF WAVE files holding PCM samples: 8-bit unsigned or 16-bit signed,
// mono or stereo. Every length in the file is checked against the bytes actually there, so a
// damaged or hostile file is refused (or, for a cut-off data chunk, shortened) and never read
// past its end.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Decoded samples, interleaved, widened to 16-bit signed.
struct WaveData {
    uint32_t rate = 0;
    uint16_t channels = 0;
    uint16_t bitsPerSample = 0;
    std::vector<int16_t> samples;

    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

class WaveReader {
public:
    static constexpr uint32_t kMinRate = 1000;
    static constexpr uint32_t kMaxRate = 192000;
    // Longer sounds are refused, so that a small file with a tiny rate cannot ask for gigabytes.
    static constexpr uint32_t kMaxSeconds = 300;

    // False for anything that is not a playable PCM WAVE file with at least one sample frame.
    static bool Parse(std::span<const uint8_t> bytes, WaveData& out);
};
