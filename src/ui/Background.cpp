#include "ui/Background.h"

#include "platform/core/Text.h"
#include "ui/SkinLayout.h"

bool LoadBackground(HDC dc, const WString& path, std::unique_ptr<Image>* background, const RECT& rect)
{
    if (!background)
        return true;
    *background = Image::Load(std::filesystem::path(ToUtf8(path)));
    if (*background && dc) {
        RECT band { rect.left, skin::kBandTop, rect.right, rect.bottom - skin::kBandBottomMargin };
        (*background)->Draw(dc, band);
    }
    return true;
}
