#pragma once

// The picture scaler's inner loops, in the widest form the processor runs: plain for any x86-64,
// with AVX2 where the processor has it (chosen once), with NEON on 64-bit ARM. Every form gives the
// same pixels to the bit.

#include <cstddef>
#include <cstdint>

namespace scaler {

// Four output pixels taken from four neighbouring picture pixels and the blends across the
// boundaries to their right: lane k is pixels[base + picks[k]] for picks[k] < 4, otherwise
// blends[base + picks[k] - 4].
struct Block {
    int32_t base = 0;
    uint32_t picks[4] = {};
};

// A blend of two bytes is (a * keep + b * weight) / 256, keep + weight at most 256.
struct Kernels {
    // Every byte of two rows at one weight, 1..255 (keep 256 - weight).
    void (*blendRows)(const uint32_t* first, const uint32_t* second, uint8_t weight, uint32_t* out, size_t pixels);
    // Each pixel of `row` with its right-hand neighbour, at a keep and a weight per byte (4 a pixel).
    void (*blendNeighbours)(
        const uint32_t* row, const uint8_t* keeps, const uint8_t* weights, uint32_t* out, size_t pixels);
    // Four output pixels for each block.
    void (*pick)(const uint32_t* pixels, const uint32_t* blends, const Block* blocks, uint32_t* out, size_t count);
};

// The widest the processor runs.
const Kernels& Best();
// One pixel at a time where the others shuffle; what the others are checked against.
const Kernels& Plain();

}
