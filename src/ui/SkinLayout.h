#pragma once

// Where the parts every screen shares lie: the skin's shared places, fixed once the skin is chosen
// at start (the device's: a 480 x 272 panel).

#include "ui/SkinPlaces.h"

namespace skin {

inline constexpr const RECT& kFullScreen = place::shared::full_screen;
// Cut out of every screen so the main view's gauges and corner stay visible and touchable.
inline constexpr const RECT& kTitleHole = place::shared::title_hole;
inline constexpr const RECT& kCornerHole = place::shared::corner_hole;
// A background is drawn into the band between the title bar and the two text lines.
inline constexpr const int& kBandTop = place::shared::band_top;
inline constexpr const int& kBandBottomMargin = place::shared::band_bottom_margin;
inline constexpr const RECT& kStatusLine = place::shared::status_line;
inline constexpr const RECT& kHintLine = place::shared::hint_line;

}
