#pragma once

// What the two skinned lists share: their colours, the striped row fill, and the trick that keeps
// a list's scroll bars outside the part of the window that shows.

#include "platform/controls/ListView.h"
#include "ui/SkinPlaces.h"

namespace listskin {

inline constexpr const COLORREF& kBackground = skin::colour::shared::list_background;
inline constexpr const COLORREF& kEvenRow = skin::colour::shared::list_even_row;
inline constexpr const COLORREF& kOddRow = skin::colour::shared::list_odd_row;
inline constexpr const COLORREF& kSelectedRow = skin::colour::shared::list_selected_row;
inline constexpr const COLORREF& kText = skin::font::shared::list.color;
// Texts are read into a buffer of this many characters on the device; longer ones are cut.
constexpr size_t kMaxText = 510;

// Stripes follow the index, so selecting a row never recolours its neighbours.
COLORREF RowColor(int item, bool selected);

// The item's sub-item text, cut as the device cut it.
WString ItemText(const ListView& list, int item, int subItem);

// Mode 0 hides the horizontal bar below the window's region, 1 the vertical bar at its right, 3
// both; 2 grows the window without a region.
void HideScrollBars(ListView& list, int mode);

// Fills the client area with the list background; the answer an erase message wants.
LRESULT EraseBackground(ListView& list, WPARAM wParam);

}
