#include "platform/devices/WaveReader.h"

#include <cstring>
#include <optional>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kRiffHeaderSize = 12;
constexpr size_t kFmtMinSize = 16;
// cbSize, valid bits, channel mask, then the sub-format GUID whose first two bytes are the tag.
constexpr size_t kFmtExtensibleMinSize = 40;
constexpr size_t kSubFormatOffset = 24;

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
bool IsTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

struct Format {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
};

std::optional<Format> ParseFormat(std::span<const uint8_t> chunk)
{
    if (chunk.size() < kFmtMinSize)
        return std::nullopt;
    const uint8_t* p = chunk.data();
    uint16_t tag = Le16(p);
    if (tag == kFormatExtensible) {
        if (chunk.size() < kFmtExtensibleMinSize)
            return std::nullopt;
        tag = Le16(p + kSubFormatOffset);
    }
    if (tag != kFormatPcm)
        return std::nullopt;
    Format f { Le16(p + 2), Le32(p + 4), Le16(p + 12), Le16(p + 14) };
    if (f.channels < 1 || f.channels > 2 || (f.bits != 8 && f.bits != 16))
        return std::nullopt;
    if (f.rate < WaveReader::kMinRate || f.rate > WaveReader::kMaxRate)
        return std::nullopt;
    if (f.blockAlign != f.channels * (f.bits / 8))
        return std::nullopt;
    return f;
}

}

bool WaveReader::Parse(std::span<const uint8_t> bytes, WaveData& out)
{
    if (bytes.size() < kRiffHeaderSize || !IsTag(bytes.data(), "RIFF") || !IsTag(bytes.data() + 8, "WAVE"))
        return false;
    // The RIFF size is often wrong in files written by streaming tools; the bytes present decide.
    std::optional<Format> format;
    std::span<const uint8_t> data;
    bool haveData = false;
    size_t pos = kRiffHeaderSize;
    while (bytes.size() - pos >= kChunkHeaderSize) {
        const uint8_t* header = bytes.data() + pos;
        size_t size = Le32(header + 4);
        pos += kChunkHeaderSize;
        size_t available = bytes.size() - pos;
        if (IsTag(header, "data") && !haveData) {
            // A cut-off recording keeps what arrived.
            data = bytes.subspan(pos, size < available ? size : available);
            haveData = true;
        } else if (IsTag(header, "fmt ") && !format) {
            if (size > available)
                return false;
            format = ParseFormat(bytes.subspan(pos, size));
            if (!format)
                return false;
        }
        if (size > available)
            break;
        // Chunks are padded to an even length.
        size_t step = size + (size & 1);
        if (step > available)
            break;
        pos += step;
    }
    if (!format || !haveData)
        return false;
    size_t frames = data.size() / format->blockAlign;
    if (frames == 0 || frames / format->rate >= kMaxSeconds)
        return false;

    out.rate = format->rate;
    out.channels = format->channels;
    out.bitsPerSample = format->bits;
    out.samples.resize(frames * format->channels);
    const uint8_t* p = data.data();
    if (format->bits == 8) {
        for (int16_t& s : out.samples)
            s = int16_t((int(*p++) - 128) * 256);
    } else {
        for (int16_t& s : out.samples) {
            s = int16_t(Le16(p));
            p += 2;
        }
    }
    return true;
}
