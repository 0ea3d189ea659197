// Sound files come from the device's folders and may be anything: the reader must refuse bad ones
// quietly and never read outside the bytes it was given; what it accepts must convert cleanly.

#include "platform/devices/PcmConverter.h"
#include "platform/devices/WaveReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WaveData wave;
    if (!WaveReader::Parse({ data, size }, wave))
        return 0;
    if (wave.Frames() == 0 || wave.samples.size() != wave.Frames() * wave.channels)
        std::abort();
    for (uint32_t rate : { 44100u, 48000u, 8000u }) {
        PcmSound out = PcmConverter::ToStereo(wave, rate);
        if (out.Frames() == 0)
            std::abort();
    }
    return 0;
}
