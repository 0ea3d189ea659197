#include "platform/draw/ImageCodec.h"

#include "platform/devices/AtomicFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <spng.h>
#include <vector>

namespace {

// stb_image sizes some buffers from what a file claims rather than from what it holds (one IDAT
// chunk header claiming 1.6 GB made a 92-byte PNG ask for 2 GiB, when it still read PNG). Every
// allocation of a bitmap's decode is therefore capped by what the image can need; one above the
// cap fails, and the decode with it.
thread_local size_t t_allocationCap = SIZE_MAX;

void* BoundedMalloc(size_t size)
{
    return size > t_allocationCap ? nullptr : std::malloc(size);
}

// Only stb's PNG reader grew buffers; kept for STBI_REALLOC, which stb requires with STBI_MALLOC.
[[maybe_unused]] void* BoundedRealloc(void* p, size_t size)
{
    return size > t_allocationCap ? nullptr : std::realloc(p, size);
}

}

#define STBI_MALLOC(size) BoundedMalloc(size)
#define STBI_REALLOC(p, size) BoundedRealloc(p, size)
#define STBI_FREE(p) std::free(p)
// The skins are PNG and BMP only: PNG is read by libspng, BMP by stb. stb's other readers are left
// out of the build: its 16-bit PNM path read past its buffer on a damaged file, and its JPEG
// Huffman table builder indexed past its table on nine bytes of a fuzzed input.
#define STBI_ONLY_BMP
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 4096
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

static_assert(STBI_MAX_DIMENSIONS == kMaxImageSide);

namespace {

// Whole files are read into memory: skin images are small, and a size checked up front keeps a
// corrupt or enormous file from costing more than a refusal. The largest image the pixel bound
// lets through is a 32-bit BMP of 16 MiB; 2 KiB more holds its headers and masks, so a file and
// its decoded pixels together stay well inside the program's memory bound.
constexpr std::uintmax_t kMaxFileBytes = (16u << 20) + 2048;

std::optional<std::vector<uint8_t>> ReadBytes(const std::filesystem::path& path)
{
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes;
}

uint32_t Le(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// The decoder fills a bitmap file's missing rows with black rather than failing, so the layout is
// checked here first: a file too short for the pixels its header promises is refused. Returns the
// size the header gives.
bool CheckBmpLayout(const uint8_t* data, size_t size, int& width, int& height)
{
    constexpr size_t kFileHeader = 14;
    constexpr size_t kCoreHeader = 12;
    constexpr size_t kInfoHeader = 40;
    constexpr uint32_t kRgb = 0;
    constexpr uint32_t kBitFields = 3;
    if (size < kFileHeader + kCoreHeader)
        return false;
    const uint32_t offset = Le(data + 10, 4);
    const uint32_t headerSize = Le(data + 14, 4);
    int64_t w = 0;
    int64_t h = 0;
    uint32_t bits = 0;
    uint32_t compression = kRgb;
    if (headerSize == kCoreHeader) {
        w = Le(data + 18, 2);
        h = Le(data + 20, 2);
        bits = Le(data + 24, 2);
    } else {
        if (headerSize < kInfoHeader || size < kFileHeader + kInfoHeader)
            return false;
        w = int32_t(Le(data + 18, 4));
        h = int32_t(Le(data + 22, 4));
        bits = Le(data + 28, 2);
        compression = Le(data + 30, 4);
    }
    h = h < 0 ? -h : h;
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide)
        return false;
    if (compression != kRgb && compression != kBitFields)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    const int64_t stride = (w * bits + 31) / 32 * 4;
    if (int64_t(offset) + stride * h > int64_t(size))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

// The largest buffer a decode of a width x height image from fileSize bytes may need: a generous
// 8 bytes a pixel over the image with a margin of 16 pixels a side, or the file itself, twice
// over, plus room for tables and palettes.
size_t AllocationCap(int width, int height, size_t fileSize)
{
    constexpr size_t kWidestPixel = 8;
    constexpr size_t kBlock = 16;
    constexpr size_t kTables = 64 * 1024;
    const size_t pixels = (size_t(width) + kBlock) * (size_t(height) + kBlock) * kWidestPixel;
    return 2 * std::max(pixels, fileSize) + kTables;
}

class ScopedAllocationCap {
public:
    explicit ScopedAllocationCap(size_t cap) { t_allocationCap = cap; }
    ~ScopedAllocationCap() { t_allocationCap = SIZE_MAX; }
    ScopedAllocationCap(const ScopedAllocationCap&) = delete;
    ScopedAllocationCap& operator=(const ScopedAllocationCap&) = delete;
};

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

bool IsPng(const uint8_t* data, size_t size)
{
    static constexpr uint8_t kSignature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    return size >= sizeof kSignature && std::equal(std::begin(kSignature), std::end(kSignature), data);
}

bool FitsPixelBound(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide
        && width * height <= kMaxImagePixels;
}

// Text and other ancillary chunks are not needed; what they may make the decoder keep is bounded.
constexpr size_t kMaxChunkBytes = 64 * 1024;
constexpr size_t kMaxChunkCache = 1024 * 1024;

using SpngContext = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

std::optional<Surface> DecodePng(const uint8_t* data, size_t size)
{
    SpngContext ctx(spng_ctx_new(0), spng_ctx_free);
    spng_ihdr header {};
    if (!ctx || spng_set_image_limits(ctx.get(), kMaxImageSide, kMaxImageSide)
        || spng_set_chunk_limits(ctx.get(), kMaxChunkBytes, kMaxChunkCache)
        || spng_set_png_buffer(ctx.get(), data, size) || spng_get_ihdr(ctx.get(), &header))
        return std::nullopt;
    // The header's size is checked before anything is allocated for the pixels.
    if (!FitsPixelBound(header.width, header.height))
        return std::nullopt;
    // 8-bit RGB, as the skins are, comes out as it is stored; anything else by way of RGBA.
    const bool rgb = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR && header.bit_depth == 8;
    const int format = rgb ? SPNG_FMT_RGB8 : SPNG_FMT_RGBA8;
    const size_t step = rgb ? 3 : 4;
    size_t bytes = 0;
    if (spng_decoded_image_size(ctx.get(), format, &bytes))
        return std::nullopt;
    // No gamma and no transparency applied, and the alpha dropped: the pixels as stored.
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[bytes]);
    if (spng_decode_image(ctx.get(), pixels.get(), bytes, format, 0))
        return std::nullopt;
    Surface surface(int(header.width), int(header.height));
    const uint8_t* p = pixels.get();
    for (int y = 0; y < surface.Height(); ++y) {
        uint32_t* row = surface.Row(y);
        for (int x = 0; x < surface.Width(); ++x, p += step)
            row[x] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    return surface;
}

}

std::optional<Surface> DecodeImage(const uint8_t* data, size_t size, ImageFormat format)
{
    if (!data || size < 2 || size > kMaxFileBytes)
        return std::nullopt;
    const bool bmp = data[0] == 'B' && data[1] == 'M';
    // Only the two formats the skins use reach a decoder; anything else is refused by its first bytes.
    if (format == ImageFormat::Bmp ? !bmp : (!bmp && !IsPng(data, size)))
        return std::nullopt;
    if (!bmp)
        return DecodePng(data, size);
    int width = 0;
    int height = 0;
    int channels = 0;
    // The header's size is checked before anything is allocated for the pixels.
    if (!CheckBmpLayout(data, size, width, height) || !FitsPixelBound(width, height))
        return std::nullopt;
    stbi_uc* rgb = nullptr;
    {
        ScopedAllocationCap cap(AllocationCap(width, height, size));
        rgb = stbi_load_from_memory(data, int(size), &width, &height, &channels, 3);
    }
    if (!rgb)
        return std::nullopt;
    Surface surface(width, height);
    const stbi_uc* p = rgb;
    for (int y = 0; y < height; ++y) {
        uint32_t* row = surface.Row(y);
        for (int x = 0; x < width; ++x, p += 3)
            row[x] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    stbi_image_free(rgb);
    return surface;
}

std::optional<Surface> DecodeImageFile(const std::filesystem::path& path, ImageFormat format)
{
    auto bytes = ReadBytes(path);
    if (!bytes)
        return std::nullopt;
    return DecodeImage(bytes->data(), bytes->size(), format);
}

bool SavePng(const Surface& surface, const std::filesystem::path& path)
{
    if (surface.IsEmpty())
        return false;
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(surface.Width()) * size_t(surface.Height()) * 3);
    for (uint32_t pixel : surface.Pixels()) {
        rgb.push_back(uint8_t(pixel >> 16));
        rgb.push_back(uint8_t(pixel >> 8));
        rgb.push_back(uint8_t(pixel));
    }
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(AppendBytes, &png, surface.Width(), surface.Height(), 3, rgb.data(),
            surface.Width() * 3))
        return false;
    // A new file renamed into place: never written through a link or into a FIFO left at the path.
    return AtomicFile::Write(path, png);
}

std::optional<Surface> LoadPng(const std::filesystem::path& path)
{
    return DecodeImageFile(path);
}
