#include "ui/SkinText.h"

#include "platform/draw/DrawText.h"
#include "ui/SkinLayout.h"

#include <map>
#include <memory>
#include <mutex>
#include <tuple>

const Font& SkinFont(const skin::place::TextFont& look)
{
    static std::mutex guard;
    static std::map<std::tuple<int, int, bool>, std::unique_ptr<Font>> made;
    const std::lock_guard lock(guard);
    std::unique_ptr<Font>& font = made[{ look.height, look.width, look.bold }];
    if (!font)
        font = CreateFont(look.height, look.width, look.bold ? FW_BOLD : FW_NORMAL, OEM_CHARSET, FF_SWISS, u"Tahoma");
    return *font;
}

void DrawHintText(HDC dc, const WString& text)
{
    if (!dc)
        return;
    const skin::place::TextFont& look = skin::font::shared::text;
    const Font& font = SkinFont(look);
    const Font* oldFont = dc->SelectFont(&font);
    COLORREF oldColor = dc->SetTextColor(look.color);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    DrawText(dc, text, skin::kHintLine, DT_CENTER);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColor);
    dc->SelectFont(oldFont);
}
