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
// The filter is separable: each picture row needed is scaled across once, and output rows are
// copies or blends of two such rows.

#include "platform/backends/PictureFit.h"

#include <array>
#include <cstdint>
#include <vector>

class PictureScaler {
public:
    explicit PictureScaler(const PictureFit& fit);

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

    // An output column that blends, for the second pass across a row.
    struct Blended {
        int column = 0;
        Tap tap;
    };

    static std::vector<Tap> Taps(int pictureSize, int placedSize);
    // The picture row `source` scaled across the output columns from..to (the first of them at the
    // pointer returned); scaled into `into` when given and not already at hand.
    const uint32_t* RowScaledAcross(
        const uint32_t* picture, int pictureStride, int source, LONG from, LONG to, uint32_t* into = nullptr);

    PictureFit m_fit;
    std::vector<Tap> m_columns;
    // Across a row every output column first takes its first pixel; the few that blend are redone.
    std::vector<int> m_firstColumns;
    std::vector<Blended> m_blendedColumns;
    std::vector<Tap> m_rows;
    // Two: an output row blends at most two picture rows.
    std::array<ScaledRow, 2> m_scaled;
    size_t m_nextSlot = 0;
};
