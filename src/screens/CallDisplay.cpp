#include "screens/CallDisplay.h"

#include "controller/MainFrame.h"
#include "platform/controls/Application.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/draw/ScopedTextStyle.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"

#include <cstdio>

namespace calldisplay {

Region CallScreenShape()
{
    Region shape(skin::kFullScreen);
    shape.Subtract(skin::kTitleHole);
    shape.Subtract(skin::kCornerHole);
    return shape;
}

WString FormatCallTime(int64_t seconds)
{
    if (seconds <= 0)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
        static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
    return Widen(text);
}

void AppendDtmfDigit(WString& number, bool& firstKey, char16_t key)
{
    if (firstKey) {
        number.clear();
        firstKey = false;
    }
    if (number.size() >= kDtmfShown)
        number.erase(0, number.size() - (kDtmfShown - 1));
    number += key;
}

void DrawCallText(HDC dc, const WString& text, const RECT& rect, const TextStyle& style)
{
    const Font& font = SkinFont(*style.font);
    ScopedTextStyle textStyle(dc, &font, style.font->color);
    DrawText(dc, style.fit ? FitTextToWidth(dc, text, rect.Width()) : text, rect, style.format);
}

void DrawNamedCaller(HDC dc, const WString& name, const WString& number, const RECT& field)
{
    // Both lines within the dark field the number otherwise has to itself: the name's line rises
    // into the field's top margin, its glyphs' foot two rows above the number's line.
    constexpr TextStyle kNameStyle { &skin::font::shared::caller_name, DT_CENTER | DT_SINGLELINE, true };
    constexpr TextStyle kNumberUnderStyle { &skin::font::shared::number_under, DT_CENTER | DT_SINGLELINE,
        true };
    const RECT nameLine { field.left, field.top - 4, field.right, field.top + kNameStyle.font->height - 2 };
    const RECT numberLine { field.left, nameLine.bottom, field.right,
        nameLine.bottom + kNumberUnderStyle.font->height };
    DrawCallText(dc, name, nameLine, kNameStyle);
    DrawCallText(dc, number, numberLine, kNumberUnderStyle);
}

}
