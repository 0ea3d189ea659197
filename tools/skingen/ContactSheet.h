#pragma once

// One picture of the whole skin for reviewing it: the backgrounds at half size, then every strip
// with its frames pulled apart, small ones enlarged, each under its name.

#include "GlyphRenderer.h"
#include "Raster.h"
#include "SkinPainter.h"

Raster ComposeContactSheet(const std::vector<PaintedImage>& images, GlyphRenderer& glyphs);
