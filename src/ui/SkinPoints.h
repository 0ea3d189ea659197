#pragma once

// Points to touch on the skin's controls, for whatever drives the screens from outside: the tests,
// the tour. Every coordinate comes from the generated places.

#include "ui/SkinPlaces.h"

#include <string_view>

namespace skin::place {

constexpr POINT Center(const RECT& r)
{
    return { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
}

constexpr POINT Center(const Control& control)
{
    return Center(control.rect);
}

// The keys of a dial pad in the order of kPadKeys. The place call and preferences screens show
// one pad at two places; the call screens' keypad has its own, placed within the keypad window.
using Pad = const Control* const[12];
constexpr std::string_view kPadKeys = "123456789*0#";
inline constexpr Pad kPlaceCallPad = { &placecall::btn_pad_1, &placecall::btn_pad_2, &placecall::btn_pad_3,
    &placecall::btn_pad_4, &placecall::btn_pad_5, &placecall::btn_pad_6, &placecall::btn_pad_7,
    &placecall::btn_pad_8, &placecall::btn_pad_9, &placecall::btn_pad_star, &placecall::btn_pad_0,
    &placecall::btn_pad_sharp };
inline constexpr Pad kPrefPad = { &pref::btn_pad_1, &pref::btn_pad_2, &pref::btn_pad_3, &pref::btn_pad_4,
    &pref::btn_pad_5, &pref::btn_pad_6, &pref::btn_pad_7, &pref::btn_pad_8, &pref::btn_pad_9,
    &pref::btn_pad_star, &pref::btn_pad_0, &pref::btn_pad_sharp };
inline constexpr Pad kKeypad = { &numpad::btn_numpad_1, &numpad::btn_numpad_2, &numpad::btn_numpad_3,
    &numpad::btn_numpad_4, &numpad::btn_numpad_5, &numpad::btn_numpad_6, &numpad::btn_numpad_7,
    &numpad::btn_numpad_8, &numpad::btn_numpad_9, &numpad::btn_numpad_star, &numpad::btn_numpad_0,
    &numpad::btn_numpad_sharp };

// A key by its character; the pad's '1' for a character it does not have.
constexpr const Control& PadKey(const Pad& pad, char key)
{
    size_t index = kPadKeys.find(key);
    return *pad[index == std::string_view::npos ? 0 : index];
}

}
