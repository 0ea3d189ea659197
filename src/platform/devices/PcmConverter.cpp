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
    // The position in the source in 1/outputRate steps, whole frame and remainder, moved on by
    // addition: a ring tone is a few hundred thousand frames, and divisions per frame showed.
    size_t frame = 0;
    uint64_t frac = 0;
    const uint64_t wholeStep = wave.rate / outputRate;
    const uint64_t fracStep = wave.rate % outputRate;
    int16_t* to = out.samples.data();
    for (size_t i = 0; i < outFrames; ++i) {
        size_t next = frame + 1 < inFrames ? frame + 1 : frame;
        if (wave.channels == 1) {
            int64_t a = At(wave, frame, 0);
            int64_t b = At(wave, next, 0);
            to[0] = to[1] = int16_t(a + (b - a) * int64_t(frac) / int64_t(outputRate));
        } else {
            for (int c = 0; c < PcmSound::kChannels; ++c) {
                int64_t a = At(wave, frame, c);
                int64_t b = At(wave, next, c);
                to[c] = int16_t(a + (b - a) * int64_t(frac) / int64_t(outputRate));
            }
        }
        to += PcmSound::kChannels;
        frame += size_t(wholeStep);
        frac += fracStep;
        if (frac >= outputRate) {
            frac -= outputRate;
            ++frame;
        }
    }
    return out;
}
