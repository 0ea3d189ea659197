#pragma once

// Mock-ups of the screens for checking the skin by eye: each background with every strip placed
// on it at its position, sample texts where the program draws texts, captions as the program
// draws them, and the main view showing through the holes of the other screens.

#include "GlyphRenderer.h"
#include "SkinPainter.h"

#include <string>
#include <utility>
#include <vector>

std::vector<std::pair<std::string, Raster>> ComposeMockups(SkinPainter& painter, GlyphRenderer& glyphs);
