#include "ui/Background.h"

#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"
#include "platform/win/PaintScope.h"

bool LoadBackground(Window& window, const WString& path, std::shared_ptr<const Image>* background, const RECT& rect)
{
    if (!background)
        return true;
    *background = SkinBackground(path);
    if (!*background)
        return true;
    WindowDC windowDc(window);
    if (HDC dc = windowDc.Dc()) {
        Region clip = dc->Clip();
        clip.Subtract(window.GetUpdateRegion().Offset(dc->Origin().x, dc->Origin().y));
        if (!clip.IsEmpty()) {
            DeviceContext outsidePaint(dc->Target(), dc->Origin(), clip);
            RECT band { rect.left, skin::kBandTop, rect.right, rect.bottom - skin::kBandBottomMargin };
            (*background)->Draw(&outsidePaint, band);
        }
    }
    return true;
}

void DrawBackground(HDC dc, const Image* background, const RECT& client)
{
    if (background)
        background->Draw(dc, client);
    else
        dc->FillSolidRect(client, RGB(0, 0, 0));
}
