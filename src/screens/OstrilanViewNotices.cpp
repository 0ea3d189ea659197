// The main view's status line as a button: while it says that calls were missed, a tap shows them.

#include "screens/OstrilanView.h"

#include "controller/ScreenContext.h"
#include "link/PhoneStatus.h"
#include "platform/win/WindowApi.h"
#include "screens/Context.h"
#include "ui/SkinLayout.h"

void COstrilanView::OnStatusTap(LPARAM point)
{
    const int x = GET_X_LPARAM(point);
    const int y = GET_Y_LPARAM(point);
    const RECT& line = skin::kStatusLine;
    if (x < line.left || x >= line.right || y < line.top || y >= line.bottom)
        return;
    ScreenContext* ctx = Context();
    // A ring or a call has the line, and the history opens only as its button does: with a
    // hands-free link, as it dials from there.
    if (!ctx || !ctx->MissedCallsPending() || !m_btnCallHist.IsWindowEnabled()
        || ctx->status.mainState == PhoneStatus::kStateRinging
        || ctx->status.mainState == PhoneStatus::kStateInCall)
        return;
    ctx->OpenMissedCalls();
}
