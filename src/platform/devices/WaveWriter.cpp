#include "platform/devices/WaveWriter.h"

namespace {

constexpr size_t kHeaderBytes = 44;
constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kBitsPerSample = 16;

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

}

std::vector<uint8_t> WaveWriter::Bytes(uint32_t rate, uint16_t channels, std::span<const int16_t> samples)
{
    const uint32_t dataBytes = uint32_t(samples.size() * sizeof(int16_t));
    const uint16_t blockAlign = uint16_t(channels * sizeof(int16_t));
    std::vector<uint8_t> out;
    out.reserve(kHeaderBytes + dataBytes);
    PutTag(out, "RIFF");
    PutLe(out, uint32_t(kHeaderBytes - 8 + dataBytes), 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, kPcmFormat, 2);
    PutLe(out, channels, 2);
    PutLe(out, rate, 4);
    PutLe(out, rate * blockAlign, 4);
    PutLe(out, blockAlign, 2);
    PutLe(out, kBitsPerSample, 2);
    PutTag(out, "data");
    PutLe(out, dataBytes, 4);
    for (int16_t sample : samples)
        PutLe(out, uint16_t(sample), 2);
    return out;
}
