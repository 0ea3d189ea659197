#include "screens/DlgPlaceCall.h"

#include "screens/ScreenPaint.h"

LRESULT CDlgPlaceCall::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PaintStatusLine(*this);
        return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}
