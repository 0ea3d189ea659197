#include "screens/DlgPref.h"

#include "platform/controls/DialogTemplate.h"
#include "screens/ScreenPaint.h"

LRESULT CDlgPref::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PaintStatusLine(*this);
        return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

void CDlgPref::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = { 0, 0, 480, 272 };
    dialogTemplate.style = WS_CHILD;
    DialogTemplates::Register(std::move(dialogTemplate));
}
