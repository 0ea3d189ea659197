#include "screens/ScreenTemplates.h"

#include "screens/DlgAssistant.h"
#include "screens/DlgCallHist.h"
#include "screens/DlgCallWaiting.h"
#include "screens/DlgConnect.h"
#include "screens/DlgContacts.h"
#include "screens/DlgIncoming.h"
#include "screens/DlgNumKeypad.h"
#include "screens/DlgOutgoing.h"
#include "screens/DlgPairMode.h"
#include "screens/DlgPlaceCall.h"
#include "screens/DlgPref.h"
#include "screens/OstrilanView.h"

void RegisterScreenTemplates()
{
    COstrilanView::RegisterTemplate();
    CDlgPlaceCall::RegisterTemplate();
    CDlgCallHist::RegisterTemplate();
    CDlgPairMode::RegisterTemplate();
    CDlgConnect::RegisterTemplate();
    CDlgPref::RegisterTemplate();
    CDlgIncoming::RegisterTemplate();
    CDlgNumKeypad::RegisterTemplate();
    CDlgOutgoing::RegisterTemplate();
    CDlgCallWaiting::RegisterTemplate();
    CDlgContacts::RegisterTemplate();
    CDlgAssistant::RegisterTemplate();
}
