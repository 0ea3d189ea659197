#include "screens/SmallPanel.h"

#include "platform/controls/Button.h"
#include "platform/controls/DialogTemplate.h"
#include "ui/SkinImages.h"

bool SmallPanel::OnInitDialog()
{
    Dialog::OnInitDialog();
    m_pBackground = SkinBackground(BackgroundPath());
    SetupButtons();
    SetWindowPos(nullptr, kPlace.left, kPlace.top, kPlace.Width(), kPlace.Height(), SWP_HIDEWINDOW);
    return true;
}

void SmallPanel::RegisterPanel(UINT templateId, std::span<const UINT> buttonIds)
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = templateId;
    dialogTemplate.rect = kPlace;
    dialogTemplate.style = WS_CHILD;
    for (UINT id : buttonIds)
        dialogTemplate.controls.push_back(
            { id, ControlClass::Button, u"", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } });
    DialogTemplates::Register(std::move(dialogTemplate));
}
