#include "platform/draw/DIBitmap.h"
#include "platform/draw/Image.h"
#include "platform/draw/ImageCodec.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <tuple>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define OSTRILAN_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define OSTRILAN_SANITIZED 1
#endif

namespace {

using Bytes = std::vector<uint8_t>;

// The largest single request made while watching, seen by standing in front of the C library's
// allocator (a sanitizer build has its own, so there the size is not watched).
std::atomic<size_t> g_largestRequest { 0 };
thread_local bool t_watching = false;

[[maybe_unused]] void Note(size_t size)
{
    if (t_watching && size > g_largestRequest.load())
        g_largestRequest.store(size);
}

// Decodes the bytes, and expects no request of a mebibyte or more made meanwhile.
auto DecodeInSmallRequests(const std::string& bytes)
{
    g_largestRequest = 0;
    t_watching = true;
    auto image = Image::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    t_watching = false;
#ifndef OSTRILAN_SANITIZED
    EXPECT_LT(g_largestRequest.load(), size_t(1) << 20);
#endif
    return image;
}

}

#ifndef OSTRILAN_SANITIZED
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);
extern "C" void* malloc(size_t size)
{
    Note(size);
    return __libc_malloc(size);
}
extern "C" void* realloc(void* p, size_t size)
{
    Note(size);
    return __libc_realloc(p, size);
}
#endif

namespace {

void Put16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

void Put32(Bytes& b, size_t at, uint32_t v)
{
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

// A Windows bitmap file of 8 (with a palette of the distinct pixels), 24 or 32 bits per pixel,
// stored bottom-up or top-down. Pixels are 0x00RRGGBB, row by row from the top.
Bytes MakeBmp(int width, int height, int bits, bool topDown, const std::vector<uint32_t>& pixels)
{
    std::vector<uint32_t> palette;
    for (uint32_t p : pixels) {
        if (bits == 8 && std::find(palette.begin(), palette.end(), p) == palette.end())
            palette.push_back(p);
    }
    const size_t stride = (size_t(width) * size_t(bits) / 8 + 3) & ~size_t(3);
    const size_t offset = 14 + 40 + palette.size() * 4;
    Bytes b(offset + stride * size_t(height));
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, uint32_t(b.size()));
    Put32(b, 10, uint32_t(offset));
    Put32(b, 14, 40);
    Put32(b, 18, uint32_t(width));
    Put32(b, 22, uint32_t(topDown ? -height : height));
    Put16(b, 26, 1);
    Put16(b, 28, uint32_t(bits));
    Put32(b, 46, uint32_t(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i)
        Put32(b, 54 + i * 4, palette[i]); // blue, green, red, zero: the same little-endian word
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = offset + stride * size_t(topDown ? y : height - 1 - y) + size_t(x * bits / 8);
            const uint32_t p = pixels[size_t(y * width + x)];
            if (bits == 8)
                b[at] = uint8_t(std::find(palette.begin(), palette.end(), p) - palette.begin());
            for (int i = 0; bits > 8 && i < bits / 8; ++i)
                b[at + size_t(i)] = i == 3 ? 0xFF : uint8_t(p >> (8 * i)); // blue, green, red, alpha
        }
    }
    return b;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Three columns, two rows: every pixel different, so a flip or a skew shows.
const std::vector<uint32_t> kStrip { 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0x808080 };

}

TEST(ImageFiles, BitmapsOfEveryDepthEitherWayUpLoadEveryPixelInPlace)
{
    testenv::TempDir dir;
    for (auto [bits, topDown] : { std::pair { 24, false }, std::pair { 24, true }, std::pair { 32, false },
             std::pair { 32, true }, std::pair { 8, false }, std::pair { 8, true } }) {
        SCOPED_TRACE(testing::Message() << bits << " bits, top down " << topDown);
        WriteFile(dir / "strip.bti", MakeBmp(3, 2, bits, topDown, kStrip));
        auto bitmap = LoadDIBitmap(dir / "strip.bti");
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(bitmap->Width(), 3);
        ASSERT_EQ(bitmap->Height(), 2);
        EXPECT_EQ(bitmap->Pixels().Pixels(), kStrip);
    }
}

TEST(ImageFiles, MissingTruncatedCorruptAndForeignFilesGiveNoImage)
{
    testenv::TempDir dir;
    const Bytes good = MakeBmp(3, 2, 24, false, kStrip);
    EXPECT_EQ(LoadDIBitmap(dir / "missing.bti"), nullptr);
    for (size_t cut : { size_t(0), size_t(1), size_t(14), size_t(54), good.size() - 4 }) {
        Bytes truncated(good.begin(), good.begin() + ptrdiff_t(cut));
        EXPECT_EQ(DecodeDIBitmap(truncated.data(), truncated.size()), nullptr) << cut;
    }
    Bytes zeroBits = good;
    Put16(zeroBits, 28, 0);
    EXPECT_EQ(DecodeDIBitmap(zeroBits.data(), zeroBits.size()), nullptr);

    // A PNG is a fine background but no button strip.
    ASSERT_TRUE(SavePng(Surface(64, 64, 0xFF0000), dir / "strip.png"));
    EXPECT_EQ(LoadDIBitmap(dir / "strip.png"), nullptr);
    EXPECT_NE(Image::Load(dir / "strip.png"), nullptr);
    const std::string png = testenv::ReadFile(dir / "strip.png");
    EXPECT_EQ(Image::Decode(reinterpret_cast<const uint8_t*>(png.data()), png.size() / 2), nullptr);
    EXPECT_EQ(Image::Load(dir / "bg_none.pbg"), nullptr);
    WriteFile(dir / "text.pbg", Bytes { 'h', 'e', 'l', 'l', 'o' });
    EXPECT_EQ(Image::Load(dir / "text.pbg"), nullptr);
    EXPECT_FALSE(SavePng(Surface(), dir / "empty.png"));
    EXPECT_FALSE(SavePng(Surface(2, 2), dir / "no-such-folder" / "shot.png"));

    // Only PNGs and bitmaps reach a decoder. Nine bytes of a JPEG whose Huffman table, read by a
    // JPEG decoder, indexes past the table; a whole 1 x 1 GIF, which a GIF reader would take.
    const std::string jpeg
        = testenv::ReadFile(testenv::SourceDir() / "fuzz/corpus/image_png/jpeg-huffman-table-overrun.jpg");
    ASSERT_EQ(jpeg, std::string("\xff\xd8\xff\xc4\xff\x00\x00\xff\x04", 9));
    EXPECT_EQ(Image::Decode(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size()), nullptr);
    const Bytes gif { 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, ',', 0, 0,
        0, 0, 1, 0, 1, 0, 0, 2, 2, 'D', 1, 0, ';' };
    EXPECT_EQ(Image::Decode(gif.data(), gif.size()), nullptr);
}

TEST(ImageFiles, SidesUpTo4096AreTakenAndA4097thIsRefused)
{
    testenv::TempDir dir;
    for (auto [width, height] : { std::pair { 4096, 1 }, std::pair { 1, 4096 }, std::pair { 4097, 1 },
             std::pair { 1, 4097 } }) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        const bool taken = width <= 4096 && height <= 4096;
        const Bytes bmp = MakeBmp(width, height, 24, false, std::vector<uint32_t>(size_t(width * height), 0x123456));
        EXPECT_EQ(DecodeImage(bmp.data(), bmp.size()).has_value(), taken) << "bitmap";
        ASSERT_TRUE(SavePng(Surface(width, height, 0x123456), dir / "side.png"));
        EXPECT_EQ(DecodeImageFile(dir / "side.png").has_value(), taken) << "png";
    }
}

// One byte more is refused before reading; the padding is a hole, so nothing is written to disk.
TEST(ImageFiles, FilesUpTo16MiBAnd2KiBAreRead)
{
    testenv::TempDir dir;
    const Bytes bmp = MakeBmp(3, 2, 24, false, kStrip);
    for (auto [size, taken] : { std::pair { std::uintmax_t(16779264), true }, std::pair { std::uintmax_t(16779265), false } }) {
        WriteFile(dir / "padded.bmp", bmp);
        std::filesystem::resize_file(dir / "padded.bmp", size);
        EXPECT_EQ(DecodeImageFile(dir / "padded.bmp").has_value(), taken) << size;
    }
}

TEST(Image, PngOfEveryKindGivesThePixelsAsStoredWithoutAlphaOrGamma)
{
    // 16 bits a channel keep their high byte; transparent pixels keep their colour; a palette
    // entry made transparent by tRNS likewise.
    for (auto [name, first, second] : { std::tuple { "rgba.png", 0x010203u, 0x040506u },
             std::tuple { "rgb16.png", 0x12569Au, 0xFF0080u }, std::tuple { "palette.png", 0x28323Cu, 0x0A141Eu } }) {
        SCOPED_TRACE(name);
        auto image = Image::Load(testenv::SourceDir() / "fuzz/corpus/image_png" / name);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->Width(), 2);
        EXPECT_EQ(image->Pixels().Pixel(0, 0), first);
        EXPECT_EQ(image->Pixels().Pixel(1, 0), second);
    }
    // One flipped bit in the image data: its checksum no longer matches, and the file is refused.
    std::string png = testenv::ReadFile(testenv::SourceDir() / "fuzz/corpus/image_png/rgb16.png");
    png[png.size() - 12 - 5] ^= 0x01;
    EXPECT_EQ(Image::Decode(reinterpret_cast<const uint8_t*>(png.data()), png.size()), nullptr);
}

TEST(Image, PixelCountIsBoundedBeforeThePixelsAreAllocated)
{
    testenv::TempDir dir;
    // 4096 x 1024 pixels is the most one image may have; one more row is refused.
    ASSERT_TRUE(SavePng(Surface(4096, 1024, 0x00FF00), dir / "largest.png"));
    ASSERT_TRUE(SavePng(Surface(4096, 1025, 0x00FF00), dir / "too-large.png"));
    auto largest = Image::Load(dir / "largest.png");
    ASSERT_NE(largest, nullptr);
    EXPECT_EQ(largest->Height(), 1024);
    EXPECT_EQ(DecodeInSmallRequests(testenv::ReadFile(dir / "too-large.png")), nullptr);
    // The same bound for a bitmap, whose pixels are all in the file.
    Bytes bmp = MakeBmp(4096, 1025, 8, false, std::vector<uint32_t>(size_t(4096) * 1025, 0));
    EXPECT_EQ(Image::Decode(bmp.data(), bmp.size()), nullptr);
    Put32(bmp, 22, 1024);
    EXPECT_NE(Image::Decode(bmp.data(), bmp.size()), nullptr);

    // 2 x 1 pixels whose second IDAT chunk claims 1.6 GB of data that the file does not hold.
    const std::string damaged
        = testenv::ReadFile(testenv::SourceDir() / "fuzz/corpus/image_png/idat-length-beyond-file.png");
    ASSERT_EQ(damaged.size(), 74u);
    EXPECT_EQ(DecodeInSmallRequests(damaged), nullptr);
}

namespace {

uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// The PNG with a text chunk of this many bytes (its keyword counted in) after its header.
Bytes WithText(const Bytes& png, size_t size)
{
    Bytes out(png.begin(), png.begin() + 33);
    Bytes chunk { uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size), 't', 'E', 'X', 't' };
    const std::string keyword("Comment", 8);
    chunk.insert(chunk.end(), keyword.begin(), keyword.end());
    chunk.resize(8 + size, 'x');
    const uint32_t crc = Crc32(chunk.data() + 4, chunk.size() - 4);
    chunk.insert(chunk.end(), { uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc) });
    out.insert(out.end(), chunk.begin(), chunk.end());
    out.insert(out.end(), png.begin() + 33, png.end());
    return out;
}

}

// What a PNG's text chunks make the decoder keep is bounded at 1 MiB: their bytes and the
// decoder's own 145 bytes for each. A text of 1 048 431 bytes is kept and the image read; a byte
// more and the image is refused.
TEST(Image, TextChunksAreKeptUpToOneMebibyteAndAByteMoreRefusesTheImage)
{
    testenv::TempDir dir;
    ASSERT_TRUE(SavePng(Surface(2, 2, 0x123456), dir / "small.png"));
    const std::string text = testenv::ReadFile(dir / "small.png");
    const Bytes png(text.begin(), text.end());
    for (const size_t size : { 1'048'431, 1'048'432 }) {
        const Bytes bytes = WithText(png, size);
        EXPECT_EQ(Image::Decode(bytes.data(), bytes.size()) != nullptr, size == 1'048'431) << size;
    }
}
