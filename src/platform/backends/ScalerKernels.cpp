#include "platform/backends/ScalerKernels.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// GCC lowers a shuffle of two vectors by lanes known only at run time to vpermd with AVX2 and to tbl
// on ARM; elsewhere it would take the lanes one by one, no better than the plain loop.
#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__aarch64__))
#define OSTRILAN_SHUFFLE 1
#endif

namespace scaler {
namespace {

#define KERNEL_BODY inline __attribute__((always_inline))

// At most 255 * 256, so 16-bit arithmetic holds it and the loops below run as many bytes at a time
// as the vector unit holds. The fourth byte of a pixel, which the screen does not show, is blended
// like the others.
KERNEL_BODY uint8_t BlendByte(uint8_t a, uint8_t b, uint8_t keep, uint8_t weight)
{
    return uint8_t(uint16_t(uint16_t(a * keep) + uint16_t(b * weight)) >> 8);
}

void PickPlain(const uint32_t* pixels, const uint32_t* blends, const Block* blocks, uint32_t* out, size_t count)
{
    for (size_t j = 0; j < count; ++j) {
        const Block& block = blocks[j];
        for (int k = 0; k < 4; ++k) {
            const uint32_t pick = block.picks[k];
            out[4 * j + size_t(k)] = pick < 4 ? pixels[block.base + int(pick)] : blends[block.base + int(pick) - 4];
        }
    }
}

void BlendRowsPlain(const uint32_t* __restrict first, const uint32_t* __restrict second, uint8_t weight,
    uint32_t* __restrict out, size_t pixels)
{
    const auto* a = reinterpret_cast<const uint8_t*>(first);
    const auto* b = reinterpret_cast<const uint8_t*>(second);
    auto* o = reinterpret_cast<uint8_t*>(out);
    const auto keep = uint8_t(256 - weight);
    for (size_t i = 0; i < pixels * 4; ++i)
        o[i] = BlendByte(a[i], b[i], keep, weight);
}

void BlendNeighboursPlain(const uint32_t* __restrict row, const uint8_t* __restrict keeps,
    const uint8_t* __restrict weights, uint32_t* __restrict out, size_t pixels)
{
    const auto* a = reinterpret_cast<const uint8_t*>(row);
    const auto* b = reinterpret_cast<const uint8_t*>(row + 1);
    auto* o = reinterpret_cast<uint8_t*>(out);
    for (size_t i = 0; i < pixels * 4; ++i)
        o[i] = BlendByte(a[i], b[i], keeps[i], weights[i]);
}

#ifdef OSTRILAN_SHUFFLE

typedef uint32_t Lanes __attribute__((vector_size(16)));

KERNEL_BODY void PickShuffledBody(
    const uint32_t* pixels, const uint32_t* blends, const Block* blocks, uint32_t* out, size_t count)
{
    for (size_t j = 0; j < count; ++j) {
        Lanes solid;
        Lanes blended;
        Lanes picks;
        std::memcpy(&solid, pixels + blocks[j].base, sizeof solid);
        std::memcpy(&blended, blends + blocks[j].base, sizeof blended);
        std::memcpy(&picks, blocks[j].picks, sizeof picks);
        const Lanes four = __builtin_shuffle(solid, blended, picks);
        std::memcpy(out + 4 * j, &four, sizeof four);
    }
}

#endif

#if defined(OSTRILAN_SHUFFLE) && defined(__x86_64__)

#define WIDE __attribute__((target("avx2")))

// 32 bytes of a and b at once with the multiply-add of unsigned by signed bytes: the pixels moved to
// -128..127 and the keeps and weights unsigned, so that a sum is at least -128 * 256 and at most
// 127 * 256 and never saturates; moved back it is the plain blend's sum to the bit.
WIDE inline __m256i Blend32(__m256i a, __m256i b, __m256i lowPairs, __m256i highPairs)
{
    const __m256i toSigned = _mm256_set1_epi8(char(0x80));
    const __m256i back = _mm256_set1_epi16(short(0x8000));
    a = _mm256_xor_si256(a, toSigned);
    b = _mm256_xor_si256(b, toSigned);
    const __m256i low = _mm256_xor_si256(_mm256_maddubs_epi16(lowPairs, _mm256_unpacklo_epi8(a, b)), back);
    const __m256i high = _mm256_xor_si256(_mm256_maddubs_epi16(highPairs, _mm256_unpackhi_epi8(a, b)), back);
    return _mm256_packus_epi16(_mm256_srli_epi16(low, 8), _mm256_srli_epi16(high, 8));
}

WIDE void BlendRowsWide(const uint32_t* first, const uint32_t* second, uint8_t weight, uint32_t* out, size_t pixels)
{
    const auto* a = reinterpret_cast<const uint8_t*>(first);
    const auto* b = reinterpret_cast<const uint8_t*>(second);
    auto* o = reinterpret_cast<uint8_t*>(out);
    const auto keep = uint8_t(256 - weight);
    const __m256i pairs = _mm256_set1_epi16(short(keep | weight << 8));
    size_t i = 0;
    for (; i + 32 <= pixels * 4; i += 32) {
        const __m256i blended = Blend32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i)), pairs, pairs);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + i), blended);
    }
    for (; i < pixels * 4; ++i)
        o[i] = BlendByte(a[i], b[i], keep, weight);
}

WIDE void BlendNeighboursWide(
    const uint32_t* row, const uint8_t* keeps, const uint8_t* weights, uint32_t* out, size_t pixels)
{
    const auto* a = reinterpret_cast<const uint8_t*>(row);
    const auto* b = reinterpret_cast<const uint8_t*>(row + 1);
    auto* o = reinterpret_cast<uint8_t*>(out);
    size_t i = 0;
    for (; i + 32 <= pixels * 4; i += 32) {
        const __m256i keep = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(keeps + i));
        const __m256i weight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + i));
        const __m256i blended = Blend32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i)), _mm256_unpacklo_epi8(keep, weight),
            _mm256_unpackhi_epi8(keep, weight));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + i), blended);
    }
    for (; i < pixels * 4; ++i)
        o[i] = BlendByte(a[i], b[i], keeps[i], weights[i]);
}

WIDE void PickWide(const uint32_t* pixels, const uint32_t* blends, const Block* blocks, uint32_t* out, size_t count)
{
    PickShuffledBody(pixels, blends, blocks, out, count);
}

const Kernels* Choose()
{
    static const Kernels wide { BlendRowsWide, BlendNeighboursWide, PickWide };
    return __builtin_cpu_supports("avx2") ? &wide : &Plain();
}

#elif defined(OSTRILAN_SHUFFLE)

void PickShuffled(const uint32_t* pixels, const uint32_t* blends, const Block* blocks, uint32_t* out, size_t count)
{
    PickShuffledBody(pixels, blends, blocks, out, count);
}

const Kernels* Choose()
{
    static const Kernels neon { BlendRowsPlain, BlendNeighboursPlain, PickShuffled };
    return &neon;
}

#else

const Kernels* Choose()
{
    return &Plain();
}

#endif

}

const Kernels& Plain()
{
    static const Kernels plain { BlendRowsPlain, BlendNeighboursPlain, PickPlain };
    return plain;
}

const Kernels& Best()
{
    static const Kernels* const best = Choose();
    return *best;
}

}
