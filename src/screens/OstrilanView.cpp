#include "screens/OstrilanView.h"

#include "screens/ScreenPaint.h"

LRESULT COstrilanView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PaintStatusLine(*this);
        return 0;
    }
    return FormView::WindowProc(message, wParam, lParam);
}
