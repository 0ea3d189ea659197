#include "screens/CallDisplay.h"

#include "controller/MainFrame.h"
#include "platform/controls/Application.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/draw/ScopedTextStyle.h"
#include "ui/SkinLayout.h"

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
    std::unique_ptr<Font> font
        = CreateFont(style.height, style.width, FW_BOLD, OEM_CHARSET, FF_SWISS, u"Tahoma");
    ScopedTextStyle textStyle(dc, font.get(), style.color);
    DrawText(dc, text, rect, style.format);
}

}
