#pragma once

// Where every screen's parts lie on the 480 x 272 panel, and the one font face of the skin.

#include "platform/core/Types.h"

namespace skin {

constexpr RECT kFullScreen { 0, 0, 480, 272 };
// Cut out of every screen so the main view's gauges and corner stay visible and touchable.
constexpr RECT kTitleHole { 85, 0, 480, 37 };
constexpr RECT kCornerHole { 430, 237, 480, 272 };
// A background is drawn into the band between the title bar and the two text lines.
constexpr int kBandTop = 37;
constexpr int kBandBottomMargin = 35;
constexpr RECT kStatusLine { 50, 237, 430, 254 };
constexpr RECT kHintLine { 50, 255, 430, 272 };

constexpr COLORREF kTextColor = RGB(255, 255, 255);
constexpr int kTextHeight = 14;
constexpr int kHeadingHeight = 16;
constexpr int kTextWidth = 6;

}
