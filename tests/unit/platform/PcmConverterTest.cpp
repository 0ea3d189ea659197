#include "platform/devices/PcmConverter.h"

#include <gtest/gtest.h>

namespace {

WaveData Mono(uint32_t rate, std::vector<int16_t> samples) { return WaveData { rate, 1, 16, std::move(samples) }; }

}

TEST(PcmConverter, ResamplingKeepsTheDurationAndTheStereoSidesApart)
{
    PcmSound out = PcmConverter::ToStereo(WaveData { 22050, 2, 16, { 1000, -1000, 2000, -2000 } }, 44100);
    ASSERT_EQ(out.Frames(), 4u);
    // The second frame is half-way between the two source frames, each side on its own.
    EXPECT_EQ(std::vector<int16_t>(out.samples.begin(), out.samples.begin() + 4),
        (std::vector<int16_t> { 1000, -1000, 1500, -1500 }));

    WaveData second = Mono(11025, std::vector<int16_t>(11025, 500));
    EXPECT_EQ(PcmConverter::ToStereo(second, 44100).Frames(), 44100u);
    EXPECT_EQ(PcmConverter::ToStereo(second, 48000).Frames(), 48000u);
    EXPECT_EQ(PcmConverter::ToStereo(Mono(48000, std::vector<int16_t>(48000, 1)), 44100).Frames(), 44100u);
    // A sound shorter than one output frame still gives one.
    EXPECT_EQ(PcmConverter::ToStereo(Mono(96000, { 5 }), 44100).Frames(), 1u);
}
