#pragma once

// Draws the device's picture onto a larger or smaller screen at the place a PictureFit gives it.
//
// The filter is "sharp bilinear" (area coverage): an output pixel takes the colour of the one
// picture pixel its span lies in, and only a pixel whose span straddles two picture pixels blends
// them, by how much of it each covers. At a whole factor that is the nearest pixel exactly; at a
// factor like 1.67 every picture pixel stays a solid block of one or two output pixels with at most
// one blended pixel between neighbours, so a 1-pixel stroke of text keeps its full contrast,
// where nearest-pixel scaling draws strokes one or two pixels wide at random and plain bilinear
// smears every edge over two.
//
// The filter is separable: each picture row needed is scaled across once, into the output row that
// is its copy where there is one, and the other output rows are copies or blends of two such rows.

#include "platform/backends/PictureFit.h"
#include "platform/backends/ScalerKernels.h"

#include <array>
#include <cstdint>
#include <vector>

class PictureScaler {
public:
    explicit PictureScaler(const PictureFit& fit, const scaler::Kernels& kernels = scaler::Best());

    // Writes the output pixels of `outputArea` (as PictureFit::ToOutput gives it; clipped to the
    // placement) from the picture. Strides are in pixels.
    void Scale(const uint32_t* picture, int pictureStride, const RECT& outputArea, uint32_t* output,
        int outputStride);

private:
    // An output pixel's two picture pixels and the second one's weight, 0..256.
    struct Tap {
        int first = 0;
        int second = 0;
        uint32_t weight = 0;
    };
    // A picture row scaled across, kept while the output rows that need it are written: in its own
    // pixels, or in the output row it was scaled straight into.
    struct ScaledRow {
        int source = -1;
        const uint32_t* at = nullptr;
        std::vector<uint32_t> pixels;
    };
    // An output column blending a boundary another column already blends at another weight.
    struct Blended {
        int column = 0;
        Tap tap;
    };

    static std::vector<Tap> Taps(int pictureSize, int placedSize);
    // The picture row `source` scaled across the output columns from..to (the first of them at the
    // pointer returned); scaled into `into` when given and not already at hand.
    const uint32_t* RowScaledAcross(
        const uint32_t* picture, int pictureStride, int source, LONG from, LONG to, uint32_t* into);

    PictureFit m_fit;
    const scaler::Kernels* m_kernels;
    std::vector<Tap> m_columns;
    // Across a row an output column takes a picture pixel (entry below the picture's width) or the
    // blend across the boundary to its right (entry width + pixel), at the weight the column there
    // needs; in blocks of four columns at a time where they lie within four neighbouring pixels.
    std::vector<int32_t> m_entries;
    std::vector<scaler::Block> m_blocks;
    // For each block, the column where the run of whole blocks from it ends.
    std::vector<int> m_runEnds;
    std::vector<uint32_t> m_blends;
    // Per byte of each boundary, so that the blend runs over bytes alike; 0 where nothing blends.
    std::vector<uint8_t> m_boundaryWeights;
    std::vector<uint8_t> m_boundaryKeeps;
    std::vector<Blended> m_otherBlends;
    std::vector<Tap> m_rows;
    // The output row that copies each picture row, in the area being scaled; -1 for none.
    std::vector<LONG> m_copyRow;
    // Two: an output row blends at most two picture rows.
    std::array<ScaledRow, 2> m_scaled;
    size_t m_nextSlot = 0;
};
