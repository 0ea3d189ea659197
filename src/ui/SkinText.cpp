#include "ui/SkinText.h"

#include "platform/draw/DrawText.h"
#include "ui/SkinLayout.h"

std::unique_ptr<Font> CreateSkinFont(const skin::place::TextFont& font)
{
    return CreateFont(
        font.height, font.width, font.bold ? FW_BOLD : FW_NORMAL, OEM_CHARSET, FF_SWISS, u"Tahoma");
}

void DrawHintText(HDC dc, const WString& text)
{
    if (!dc)
        return;
    const skin::place::TextFont& look = skin::font::shared::text;
    std::unique_ptr<Font> font = CreateSkinFont(look);
    const Font* oldFont = dc->SelectFont(font.get());
    COLORREF oldColor = dc->SetTextColor(look.color);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    DrawText(dc, text, skin::kHintLine, DT_CENTER);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColor);
    dc->SelectFont(oldFont);
}
