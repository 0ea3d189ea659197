#include "app/ScreenTable.h"

#include "controller/ScreenFactory.h"
#include "screens/DlgCallHist.h"
#include "screens/DlgConnect.h"
#include "screens/DlgContacts.h"
#include "screens/DlgIncoming.h"
#include "screens/DlgOutgoing.h"
#include "screens/DlgPairMode.h"
#include "screens/DlgPlaceCall.h"
#include "screens/DlgPref.h"
#include "screens/ScreenTemplates.h"

namespace {

template <class T> std::unique_ptr<Dialog> Construct()
{
    return std::make_unique<T>();
}

}

void RegisterScreens()
{
    RegisterScreenTemplates();
    SetScreenConstructor(kScreenPlaceCall, { &Construct<CDlgPlaceCall>, CDlgPlaceCall::IDD });
    SetScreenConstructor(kScreenCallHist, { &Construct<CDlgCallHist>, CDlgCallHist::IDD });
    SetScreenConstructor(kScreenConnect, { &Construct<CDlgConnect>, CDlgConnect::IDD });
    SetScreenConstructor(kScreenPairMode, { &Construct<CDlgPairMode>, CDlgPairMode::IDD });
    SetScreenConstructor(kScreenIncoming, { &Construct<CDlgIncoming>, CDlgIncoming::IDD });
    SetScreenConstructor(kScreenOutgoing, { &Construct<CDlgOutgoing>, CDlgOutgoing::IDD });
    SetScreenConstructor(kScreenPref, { &Construct<CDlgPref>, CDlgPref::IDD });
    SetScreenConstructor(kScreenContacts, { &Construct<CDlgContacts>, CDlgContacts::IDD });
}
