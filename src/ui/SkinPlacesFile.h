#pragma once

// The places, fonts and colours of a skin other than the device's, read at start from the skin
// folder's skin.layout (written by skingen; one line each):
//
//     control incoming btn_accept incoming/btn_accept.bti 314 56 374 116
//     rect incoming number 59 110 302 151
//     number callhist list_row_height 35
//     font incoming message 18 7 #0e7efb bold
//     colour shared list_even_row #4370a5
//
// A file is taken whole or not at all: it must give every place, font and colour the device's
// skin has, each exactly once (a control placed several times, as often and in order), and
// nothing else, with rectangles inside the panel. Taken, its values replace those of the
// generated places until the device's are put back; the screens read them as they open, and the
// window is made as large as the skin's shared full_screen.

#include <string>
#include <string_view>

namespace skin {

// The largest file and panel a skin may describe: far above any real one, a bound on bad input.
constexpr size_t kMaxLayoutBytes = 64 * 1024;
constexpr int kMaxPanelSide = 4096;
constexpr int kMaxFontSide = 256;

// Takes the places of the text; false with the first fault (and its line) in error, nothing taken.
bool ApplyPlaces(std::string_view text, std::string& error);
// The device's own places again.
void RestoreDevicePlaces();

}
