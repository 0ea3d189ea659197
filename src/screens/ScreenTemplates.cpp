#include "screens/ScreenTemplates.h"

#include "platform/controls/DialogTemplate.h"
#include "screens/DlgCallHist.h"
#include "screens/DlgConnect.h"
#include "screens/DlgIncoming.h"
#include "screens/DlgOutgoing.h"
#include "screens/DlgPairMode.h"
#include "screens/DlgPlaceCall.h"
#include "screens/DlgPref.h"
#include "screens/OstrilanView.h"

namespace {

constexpr RECT kFullScreen { 0, 0, 480, 272 };

}

void RegisterScreenTemplates()
{
    for (UINT id : { COstrilanView::IDD, CDlgPlaceCall::IDD, CDlgCallHist::IDD, CDlgPairMode::IDD,
             CDlgConnect::IDD, CDlgPref::IDD, CDlgIncoming::IDD, CDlgOutgoing::IDD }) {
        DialogTemplate dialogTemplate;
        dialogTemplate.id = id;
        dialogTemplate.rect = kFullScreen;
        dialogTemplate.style = WS_CHILD;
        DialogTemplates::Register(std::move(dialogTemplate));
    }
}
