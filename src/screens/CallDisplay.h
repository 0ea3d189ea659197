#pragma once

// What the incoming and outgoing call screens share: the frame that holds the phone's state, the
// window shape that leaves the main view's top bar and Bluetooth icon visible, the call time
// text, the number field that DTMF digits take over, and the way their texts are drawn.

#include "platform/core/Region.h"
#include "platform/draw/DeviceContext.h"
#include "ui/SkinPlaces.h"

namespace calldisplay {

// A DTMF display keeps this many of the last digits sent.
constexpr size_t kDtmfShown = 11;

struct TextStyle {
    const skin::place::TextFont* font;
    UINT format;
    // Cut to the rectangle's width with an ellipsis.
    bool fit = false;
};

Region CallScreenShape();

// "hh:mm:ss", the hours widening past two digits; empty for 0 seconds or fewer.
WString FormatCallTime(int64_t seconds);

// The first digit replaces what the field showed (the caller's or dialled number); later ones
// append, dropping the oldest so that no more than kDtmfShown remain.
void AppendDtmfDigit(WString& number, bool& firstKey, char16_t key);

void DrawCallText(HDC dc, const WString& text, const RECT& rect, const TextStyle& style);
// A caller the contacts know: the name in large type on the number field's first line, cut to fit
// with an ellipsis, and the number in smaller type under it.
void DrawNamedCaller(HDC dc, const WString& name, const WString& number, const RECT& field);

}
