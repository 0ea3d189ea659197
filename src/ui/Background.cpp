#include "ui/Background.h"

#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"

bool LoadBackground(HDC dc, const WString& path, std::shared_ptr<const Image>* background, const RECT& rect)
{
    if (!background)
        return true;
    *background = SkinBackground(path);
    if (*background && dc) {
        RECT band { rect.left, skin::kBandTop, rect.right, rect.bottom - skin::kBandBottomMargin };
        (*background)->Draw(dc, band);
    }
    return true;
}
