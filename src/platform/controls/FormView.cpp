#include "platform/controls/FormView.h"

bool FormView::CreateView(Window* frame)
{
    if (!Create(TemplateId(), frame))
        return false;
    RECT client;
    frame->GetClientRect(&client);
    SetWindowPos(nullptr, 0, 0, client.Width(), client.Height(), SWP_NOZORDER);
    ShowWindow(SW_SHOW);
    OnInitialUpdate();
    return GetSafeHwnd() != nullptr;
}
