#pragma once

// Brings decoded WAVE samples to the output format: interleaved stereo, 16-bit, at the output
// device's rate. Mono is copied to both sides; other rates are resampled by linear interpolation,
// which is plenty for ring tones and key clicks.

#include "platform/devices/WaveReader.h"

#include <cstdint>
#include <vector>

struct PcmSound {
    static constexpr int kChannels = 2;
    uint32_t rate = 0;
    std::vector<int16_t> samples;

    size_t Frames() const { return samples.size() / kChannels; }
};

class PcmConverter {
public:
    static PcmSound ToStereo(const WaveData& wave, uint32_t outputRate);
};
