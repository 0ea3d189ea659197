#pragma once

// 16-bit PCM samples as the bytes of a RIFF WAVE file, the form WaveReader reads back.

#include <cstdint>
#include <span>
#include <vector>

class WaveWriter {
public:
    // Interleaved samples of `channels` channels at `rate` frames a second.
    static std::vector<uint8_t> Bytes(uint32_t rate, uint16_t channels, std::span<const int16_t> samples);
};
