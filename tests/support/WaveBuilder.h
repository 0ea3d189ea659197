#pragma once

// Builds RIFF WAVE files byte by byte, so tests can make exactly the good and bad files they need.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testenv {

// The largest magnitude among the samples: how loud a sound gets, 0 for silence.
inline int Loudest(const std::vector<int16_t>& samples)
{
    int loudest = 0;
    for (int16_t s : samples)
        loudest = std::max(loudest, s < 0 ? -int(s) : int(s));
    return loudest;
}

class WaveBuilder {
public:
    using Bytes = std::vector<uint8_t>;

    static void Put16(Bytes& b, uint32_t v)
    {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    }
    static void Put32(Bytes& b, uint32_t v)
    {
        Put16(b, v & 0xFFFF);
        Put16(b, v >> 16);
    }

    static Bytes Chunk(const std::string& tag, const Bytes& body, int64_t declaredSize = -1)
    {
        Bytes b(tag.begin(), tag.end());
        Put32(b, declaredSize >= 0 ? uint32_t(declaredSize) : uint32_t(body.size()));
        b.insert(b.end(), body.begin(), body.end());
        if (declaredSize < 0 && (body.size() & 1))
            b.push_back(0);
        return b;
    }

    static Bytes Fmt(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = 1, int blockAlign = -1)
    {
        Bytes b;
        uint16_t align = blockAlign >= 0 ? uint16_t(blockAlign) : uint16_t(channels * bits / 8);
        Put16(b, tag);
        Put16(b, channels);
        Put32(b, rate);
        Put32(b, rate * align);
        Put16(b, align);
        Put16(b, bits);
        return b;
    }

    static Bytes Samples16(const std::vector<int16_t>& samples)
    {
        Bytes b;
        for (int16_t s : samples)
            Put16(b, uint16_t(s));
        return b;
    }

    static Bytes Riff(const std::vector<Bytes>& chunks)
    {
        Bytes body { 'W', 'A', 'V', 'E' };
        for (const Bytes& c : chunks)
            body.insert(body.end(), c.begin(), c.end());
        return Chunk("RIFF", body);
    }

    // A plain 16-bit PCM file.
    static Bytes Pcm16(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples)
    {
        return Riff({ Chunk("fmt ", Fmt(channels, rate, 16)), Chunk("data", Samples16(samples)) });
    }

    static bool Write(const std::filesystem::path& path, const Bytes& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return bool(out);
    }
};

}
