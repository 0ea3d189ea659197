#include "screens/DlgConnect.h"

#include "platform/controls/DialogTemplate.h"
#include "screens/ScreenPaint.h"

LRESULT CDlgConnect::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PaintStatusLine(*this);
        return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

void CDlgConnect::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = { 0, 0, 480, 272 };
    dialogTemplate.style = WS_CHILD;
    DialogTemplates::Register(std::move(dialogTemplate));
}
