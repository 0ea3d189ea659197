#include "ui/SkinText.h"

#include "platform/draw/DrawText.h"
#include "ui/SkinLayout.h"

std::unique_ptr<Font> CreateSkinFont(int height)
{
    return CreateFont(height, skin::kTextWidth, FW_BOLD, OEM_CHARSET, FF_SWISS, u"Tahoma");
}

void DrawHintText(HDC dc, const WString& text)
{
    if (!dc)
        return;
    std::unique_ptr<Font> font = CreateSkinFont(skin::kTextHeight);
    const Font* oldFont = dc->SelectFont(font.get());
    COLORREF oldColor = dc->SetTextColor(skin::kTextColor);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    DrawText(dc, text, skin::kHintLine, DT_CENTER);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColor);
    dc->SelectFont(oldFont);
}
