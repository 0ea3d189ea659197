#include "platform/devices/WaveReader.h"
#include "support/WaveBuilder.h"

#include <gtest/gtest.h>

#include <tuple>

using testenv::WaveBuilder;
using Bytes = WaveBuilder::Bytes;

namespace {

Bytes Data(size_t n) { return Bytes(n, 0x40); }

}

TEST(WaveReader, ReadsThePcmItCanPlay)
{
    Bytes extensible = WaveBuilder::Fmt(2, 48000, 16, 0xFFFE);
    WaveBuilder::Put16(extensible, 22);
    WaveBuilder::Put16(extensible, 16);
    WaveBuilder::Put32(extensible, 3);
    extensible.push_back(1); // the PCM sub-format, in sixteen bytes
    extensible.insert(extensible.end(), 15, 0);
    // Ends two and a half frames into its data: the half frame is dropped.
    Bytes cut = WaveBuilder::Pcm16(1, 8000, { 1, 2, 3, 4 });
    cut.resize(cut.size() - 3);
    const struct {
        const char* what;
        Bytes file;
        uint32_t rate;
        int channels;
        std::vector<int16_t> samples;
    } cases[] = {
        { "8-bit mono, as signed 16-bit",
            WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 11025, 8)),
                WaveBuilder::Chunk("data", { 0, 128, 255 }) }),
            11025, 1, { -32768, 0, 32512 } },
        { "16-bit stereo, little-endian", WaveBuilder::Pcm16(2, 44100, { 1, -1, 32767, -32768 }), 44100, 2,
            { 1, -1, 32767, -32768 } },
        // An odd-sized chunk is followed by a pad byte; fmt after data is legal too.
        { "other chunks skipped",
            WaveBuilder::Riff({ WaveBuilder::Chunk("LIST", { 'a', 'b', 'c' }),
                WaveBuilder::Chunk("data", WaveBuilder::Samples16({ 7, 8 })),
                WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16)) }),
            8000, 1, { 7, 8 } },
        { "extensible format with a PCM sub-format",
            WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", extensible), WaveBuilder::Chunk("data", Data(8)) }), 48000,
            2, std::vector<int16_t>(4, 0x4040) },
        { "cut-off data chunk", cut, 8000, 1, { 1, 2 } },
    };
    for (const auto& c : cases) {
        WaveData wave;
        ASSERT_TRUE(WaveReader::Parse(c.file, wave)) << c.what;
        EXPECT_EQ(wave.rate, c.rate) << c.what;
        EXPECT_EQ(wave.channels, c.channels) << c.what;
        EXPECT_EQ(wave.samples, c.samples) << c.what;
    }
}

TEST(WaveReader, RefusesWhatItCannotPlay)
{
    const Bytes goodFmt = WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16));
    const Bytes goodData = WaveBuilder::Chunk("data", Data(4));
    Bytes notRiff = WaveBuilder::Pcm16(1, 8000, { 1, 2 });
    notRiff[0] = 'X';
    Bytes notWave = WaveBuilder::Pcm16(1, 8000, { 1, 2 });
    notWave[8] = 'X';
    const std::pair<const char*, Bytes> cases[] = {
        { "empty", {} },
        { "header only", Bytes { 'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E' } },
        { "not RIFF", notRiff },
        { "not WAVE", notWave },
        { "no fmt", WaveBuilder::Riff({ goodData }) },
        { "no data", WaveBuilder::Riff({ goodFmt }) },
        { "no frames", WaveBuilder::Riff({ goodFmt, WaveBuilder::Chunk("data", {}) }) },
        { "compressed", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16, 2)), goodData }) },
        { "24-bit", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 24)), goodData }) },
        { "three channels", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(3, 8000, 16)), goodData }) },
        { "no channels", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(0, 8000, 16)), goodData }) },
        { "block align wrong", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16, 1, 0)), goodData }) },
        { "fmt too short", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", Bytes(12, 1)), goodData }) },
        { "fmt past the end", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16), 0xFFFFFFF0) }) },
    };
    for (const auto& [name, file] : cases) {
        WaveData wave;
        EXPECT_FALSE(WaveReader::Parse(file, wave)) << name;
    }
}

TEST(WaveReader, RateAndLengthLimitsFromBothSides)
{
    // 1000 to 192000 Hz; a sound of 300 s is refused, one frame less is not.
    const std::tuple<uint32_t, size_t, bool> cases[] = { { 999, 4, false }, { 1000, 4, true }, { 192000, 4, true },
        { 192001, 4, false }, { 1000, 299'999, true }, { 1000, 300'000, false } };
    for (auto [rate, frames, taken] : cases) {
        WaveData wave;
        const Bytes file = WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, rate, 8)),
            WaveBuilder::Chunk("data", Bytes(frames, 128)) });
        EXPECT_EQ(WaveReader::Parse(file, wave), taken) << frames << " frames at " << rate << " Hz";
    }
}
