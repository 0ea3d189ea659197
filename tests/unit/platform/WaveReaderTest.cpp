#include "platform/devices/WaveReader.h"
#include "support/WaveBuilder.h"

#include <gtest/gtest.h>

using testenv::WaveBuilder;
using Bytes = WaveBuilder::Bytes;

namespace {

bool Parse(const Bytes& bytes, WaveData& wave) { return WaveReader::Parse(bytes, wave); }

Bytes Data(size_t n) { return Bytes(n, 0x40); }

}

TEST(WaveReader, ReadsEightBitMonoAsSignedSixteenBit)
{
    Bytes file = WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 11025, 8)),
        WaveBuilder::Chunk("data", { 0, 128, 255 }) });
    WaveData wave;
    ASSERT_TRUE(Parse(file, wave));
    EXPECT_EQ(wave.rate, 11025u);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_EQ(wave.bitsPerSample, 8);
    EXPECT_EQ(wave.samples, (std::vector<int16_t> { -32768, 0, 32512 }));
}

TEST(WaveReader, ReadsSixteenBitStereoLittleEndian)
{
    WaveData wave;
    ASSERT_TRUE(Parse(WaveBuilder::Pcm16(2, 44100, { 1, -1, 32767, -32768 }), wave));
    EXPECT_EQ(wave.Frames(), 2u);
    EXPECT_EQ(wave.samples, (std::vector<int16_t> { 1, -1, 32767, -32768 }));
}

TEST(WaveReader, SkipsOtherChunksAndTheirPadding)
{
    // An odd-sized chunk is followed by a pad byte; fmt after data is legal too.
    Bytes file = WaveBuilder::Riff({ WaveBuilder::Chunk("LIST", { 'a', 'b', 'c' }),
        WaveBuilder::Chunk("data", WaveBuilder::Samples16({ 7, 8 })), WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16)) });
    WaveData wave;
    ASSERT_TRUE(Parse(file, wave));
    EXPECT_EQ(wave.samples, (std::vector<int16_t> { 7, 8 }));
}

TEST(WaveReader, AcceptsExtensibleFormatWithPcmSubFormat)
{
    Bytes fmt = WaveBuilder::Fmt(2, 48000, 16, 0xFFFE);
    WaveBuilder::Put16(fmt, 22);
    WaveBuilder::Put16(fmt, 16);
    WaveBuilder::Put32(fmt, 3);
    Bytes guid(16, 0);
    guid[0] = 1;
    fmt.insert(fmt.end(), guid.begin(), guid.end());
    WaveData wave;
    EXPECT_TRUE(Parse(WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", fmt), WaveBuilder::Chunk("data", Data(8)) }), wave));
    EXPECT_EQ(wave.channels, 2);
}

TEST(WaveReader, KeepsWhatArrivedOfACutOffDataChunk)
{
    // The file ends two and a half frames into its data: the half frame is dropped.
    Bytes file = WaveBuilder::Pcm16(1, 8000, { 1, 2, 3, 4 });
    file.resize(file.size() - 3);
    WaveData wave;
    ASSERT_TRUE(Parse(file, wave));
    EXPECT_EQ(wave.samples, (std::vector<int16_t> { 1, 2 }));
}

TEST(WaveReader, RefusesWhatItCannotPlay)
{
    const Bytes goodFmt = WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16));
    const Bytes goodData = WaveBuilder::Chunk("data", Data(4));
    Bytes notRiff = WaveBuilder::Pcm16(1, 8000, { 1, 2 });
    notRiff[0] = 'X';
    Bytes notWave = WaveBuilder::Pcm16(1, 8000, { 1, 2 });
    notWave[8] = 'X';
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
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
        { "rate zero", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 0, 16)), goodData }) },
        { "rate absurd", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 4'000'000, 16)), goodData }) },
        { "block align wrong", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16, 1, 0)), goodData }) },
        { "fmt too short", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", Bytes(12, 1)), goodData }) },
        { "fmt past the end", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 8000, 16), 0xFFFFFFF0) }) },
        { "too long", WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, 1000, 8)),
                          WaveBuilder::Chunk("data", Bytes(1000 * WaveReader::kMaxSeconds, 128)) }) },
    };
    for (const Case& c : cases) {
        WaveData wave;
        EXPECT_FALSE(Parse(c.file, wave)) << c.name;
    }
}
