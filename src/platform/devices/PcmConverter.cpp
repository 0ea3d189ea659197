#include "platform/devices/PcmConverter.h"

namespace {

int16_t At(const WaveData& wave, size_t frame, int channel)
{
    int source = wave.channels == 1 ? 0 : channel;
    return wave.samples[frame * wave.channels + size_t(source)];
}

}

PcmSound PcmConverter::ToStereo(const WaveData& wave, uint32_t outputRate)
{
    PcmSound out;
    out.rate = outputRate;
    size_t inFrames = wave.Frames();
    if (inFrames == 0 || wave.rate == 0 || outputRate == 0)
        return out;
    size_t outFrames = size_t(uint64_t(inFrames) * outputRate / wave.rate);
    if (outFrames == 0)
        outFrames = 1;
    out.samples.resize(outFrames * PcmSound::kChannels);
    for (size_t i = 0; i < outFrames; ++i) {
        // Position in the source in 1/outputRate steps: whole frame and remainder.
        uint64_t scaled = uint64_t(i) * wave.rate;
        size_t frame = size_t(scaled / outputRate);
        int64_t frac = int64_t(scaled % outputRate);
        size_t next = frame + 1 < inFrames ? frame + 1 : frame;
        for (int c = 0; c < PcmSound::kChannels; ++c) {
            int64_t a = At(wave, frame, c);
            int64_t b = At(wave, next, c);
            out.samples[i * PcmSound::kChannels + size_t(c)] = int16_t(a + (b - a) * frac / int64_t(outputRate));
        }
    }
    return out;
}
