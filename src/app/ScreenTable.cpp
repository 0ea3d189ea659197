#include "app/ScreenTable.h"

#include "controller/MainFrame.h"
#include "controller/ScreenFactory.h"
#include "screens/DlgCallHist.h"
#include "screens/DlgConnect.h"
#include "screens/DlgIncoming.h"
#include "screens/DlgOutgoing.h"
#include "screens/DlgPairMode.h"
#include "screens/DlgPlaceCall.h"
#include "screens/DlgPref.h"
#include "screens/ScreenTemplates.h"

namespace {

// Makes a screen of class T and stores it in the frame's pointer for its kind.
template <class T, T* CMainFrame::*Slot> Dialog* Construct(CMainFrame& frame)
{
    T* screen = new T();
    frame.*Slot = screen;
    return screen;
}

}

void RegisterScreens()
{
    RegisterScreenTemplates();
    SetScreenConstructor(
        kScreenPlaceCall, { &Construct<CDlgPlaceCall, &CMainFrame::m_pDlgPlaceCall>, CDlgPlaceCall::IDD });
    SetScreenConstructor(
        kScreenCallHist, { &Construct<CDlgCallHist, &CMainFrame::m_pDlgCallHist>, CDlgCallHist::IDD });
    SetScreenConstructor(
        kScreenConnect, { &Construct<CDlgConnect, &CMainFrame::m_pDlgConnect>, CDlgConnect::IDD });
    SetScreenConstructor(
        kScreenPairMode, { &Construct<CDlgPairMode, &CMainFrame::m_pDlgPairMode>, CDlgPairMode::IDD });
    SetScreenConstructor(
        kScreenIncoming, { &Construct<CDlgIncoming, &CMainFrame::m_pDlgIncoming>, CDlgIncoming::IDD });
    SetScreenConstructor(
        kScreenOutgoing, { &Construct<CDlgOutgoing, &CMainFrame::m_pDlgOutgoing>, CDlgOutgoing::IDD });
    SetScreenConstructor(kScreenPref, { &Construct<CDlgPref, &CMainFrame::m_pDlgPref>, CDlgPref::IDD });
}
