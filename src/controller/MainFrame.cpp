#include "controller/MainFrame.h"

#include "contacts/ContactBook.h"
#include "controller/CallerSpeech.h"
#include "controller/ScreenContext.h"
#include "controller/ScreenFactory.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialog.h"
#include "platform/controls/MessageBox.h"
#include "platform/core/Text.h"
#include "platform/devices/AudioSystem.h"
#include "platform/devices/DeviceLanguage.h"
#include "platform/devices/LanguageLibrary.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/loop/Clock.h"
#include "platform/tooling/Log.h"
#include "platform/tooling/Trace.h"
#include "platform/win/WindowApi.h"
#include "store/AppFolders.h"
#include "store/CallLogStore.h"
#include "store/PairStore.h"
#include "store/PrefStore.h"
#include "store/RegistrySettings.h"
#include "ui/AudioDriverRequests.h"
#include "ui/RingTonePlayer.h"
#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"

#include <algorithm>
#include <new>

namespace {

constexpr DWORD kModuleSettleMs = 1000;

// Kind 0 closes in this order.
constexpr UINT kCloseAllOrder[] = { kScreenPlaceCall, kScreenCallHist, kScreenConnect, kScreenPairMode,
    kScreenIncoming, kScreenOutgoing, kScreenPref, kScreenContacts };

bool HasScreen(UINT kind)
{
    return kind >= 1 && kind < kScreenKindCount && kind != kScreenNone;
}

template <class T> bool Replace(std::unique_ptr<T>& owner)
{
    owner.reset(new (std::nothrow) T());
    return owner != nullptr;
}

}

CMainFrame::CMainFrame() = default;

// Screens left when the frame went lost their windows with it; their objects go with it.
CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate()
{
    BeginWaitCursor();
    // The device created an imaging factory here; image decoding is part of the canvas, so there
    // is nothing to create.
    if (!Replace(m_pPhoneStatus) || !Replace(m_pRingTone) || !Replace(m_pPairStore)
        || !Replace(m_pPrefStore)) {
        EndWaitCursor();
        return -1;
    }
    m_pPrefStore->Load();
    m_missedCalls.Load();
    if (!Replace(m_pCallLog)) {
        EndWaitCursor();
        return -1;
    }
    m_pContacts = std::make_unique<ContactBook>(ContactBook::DefaultFolder(),
        [target = GetSafeHwnd()] { PostMessageW(target, WM_PHONE_CONTACTS_CHANGED, 0, 0); },
        ContactDirectory::LocaleFor(DeviceLanguage::Current()));
    if (!m_pContacts->Start())
        Log::Printf(Log::Priority::Warning, "contacts: the folder cannot be watched; no caller names");
    if (ReadSpeakCaller()) {
        m_pCallerSpeech = std::make_unique<CallerSpeech>(
            GetSafeHwnd(), WM_PHONE_SPEECH_READY, AudioSystem::Current().OutputRate());
    }
    m_pScreenContext = std::make_unique<ScreenContext>(
        *this, m_btModule, *m_pPhoneStatus, *m_pCallLog, *m_pPairStore, *m_pPrefStore, *m_pRingTone);

    // Without a port the phone runs and sends nothing.
    m_btModule.Start(GetSafeHwnd(), kModulePort);

    // The module needs its audio path and a moment before it answers. The first of those seconds
    // also decodes the skin of the main view and of a call's screens, so that neither the first
    // paint nor a ring waits for it.
    const DWORD preloadBegan = GetTickCount();
    PreloadSkin();
    const DWORD preloadMs = GetTickCount() - preloadBegan;
    Sleep(kModuleSettleMs - std::min(preloadMs, kModuleSettleMs));
    SetBtAudio(true);
    Sleep(kModuleSettleMs);
    // Without a port nothing goes out; the screens' waits and the reconnect timer carry on.
    (void)m_btModule.GetState();
    (void)m_btModule.SetSpeakerVolume(kStartVolume);

    SetWindowPos(HWND_TOPMOST, skin::kFullScreen.left, skin::kFullScreen.top, skin::kFullScreen.Width(),
        skin::kFullScreen.Height(), SWP_SHOWWINDOW);
    SetWindowText(kTitle);

    if (!LoadTexts()) {
        // The close is already posted; the frame goes as soon as its loop runs.
        return 0;
    }

    WriteRunFlag(1);
    EndWaitCursor();
    SetTimer(kReconnectTimer, kReconnectTimerMs);
    Trace::Write("app", "started");
    return 0;
}

void CMainFrame::OnDestroy()
{
    m_pScreenContext.reset();
    m_pCallerSpeech.reset();
    m_pContacts.reset();
    m_btModule.Stop();
    SetBtAudio(false);
    m_pPairStore.reset();
    m_pPrefStore.reset();
    m_pCallLog.reset();
    m_pPhoneStatus.reset();
    m_pRingTone.reset();
    if (m_pLanguage) {
        m_pLanguage->Close();
        m_pLanguage.reset();
    }
    WriteRunFlag(0);
    m_bStopped = true;
    Trace::Write("app", "stopped");
}

bool CMainFrame::LoadTexts()
{
    m_pLanguage = LanguageLibrary::GetInstance();
    const LANGID language = m_pLanguage->CurrentLanguage();
    const char16_t* file = TextTable::LanguageFile(language);
    m_speechVoice = CallerSpeech::VoiceFor(language);
    Trace::Write("app", "language " + ToUtf8(file));
    if (!m_pLanguage->Open(LangPath(file))) {
        Log::Warning("language catalog " + ToUtf8(LangPath(file)) + " missing, English instead");
        MessageBox(GetSafeHwnd(), u"Language File NOT found!\r\nEnglish mode on.", u"CAUTION", MB_OK);
        // A close that came while the box was up (a signal) has taken the frame down meanwhile.
        if (m_bStopped)
            return false;
        m_speechVoice = CallerSpeech::VoiceFor(0);
        if (!m_pLanguage->Open(LangPath(u"lang_eng.bin"))) {
            Log::Error("language catalog " + ToUtf8(LangPath(u"lang_eng.bin")) + " missing, closing");
            MessageBox(GetSafeHwnd(), u"<lang_eng.bin> NOT found!", u"CAUTION", MB_OK);
            if (!m_bStopped)
                PostMessage(WM_CLOSE, 0, 0);
            return false;
        }
    }
    TextTable::Load(*m_pLanguage);
    return true;
}

WString CMainFrame::GetErrorText(UINT code) const
{
    using namespace text;
    constexpr const char* kKeys[] = { kModuleStatus0, kModuleStatus1, kModuleStatus2, kModuleStatus3,
        kModuleStatus4, kModuleStatus5, kModuleStatus6, kModuleStatus7, kModuleStatus8, kModuleStatus9,
        kModuleStatus10, kModuleStatus11, kModuleStatus12, kModuleStatus13, kModuleStatus14, kModuleStatus15,
        kModuleStatus16 };
    return code < std::size(kKeys) ? WString(TextTable::Text(kKeys[code])) : WString();
}

Dialog* CMainFrame::ScreenWindow(UINT kind) const
{
    return HasScreen(kind) ? m_screens[kind].get() : nullptr;
}

bool CMainFrame::IsScreenUp(UINT kind) const
{
    Dialog* screen = ScreenWindow(kind);
    return screen && screen->GetSafeHwnd() && screen->IsWindowEnabled();
}

void CMainFrame::OpenScreen(UINT kind)
{
    if (!HasScreen(kind) || m_screens[kind])
        return;
    ScreenConstructor constructor = GetScreenConstructor(kind);
    if (!constructor.construct)
        return;
    std::unique_ptr<Dialog> screen = constructor.construct();
    if (!screen)
        return;
    Dialog& created = *screen;
    m_screens[kind] = std::move(screen);
    if (!created.Create(constructor.templateId, this)) {
        m_screens[kind].reset();
        return;
    }
    created.ShowWindow(SW_SHOW);
    Trace::Printf("screen", "open %u %s", kind, created.WindowClassName().c_str());
}

void CMainFrame::CloseScreen(UINT kind)
{
    if (kind == kScreenAll) {
        for (UINT each : kCloseAllOrder)
            CloseScreen(each);
        return;
    }
    if (!HasScreen(kind) || !m_screens[kind])
        return;
    // Taken out first: the screen's own destroy handling may ask to close its kind again.
    std::unique_ptr<Dialog> screen = std::move(m_screens[kind]);
    std::string className = screen->WindowClassName();
    screen->DestroyWindow();
    screen.reset();
    Trace::Printf("screen", "close %u %s", kind, className.c_str());
}

void CMainFrame::SetStatusLine(const WString& text)
{
    m_strStatus = text;
    InvalidateRect(&skin::kStatusLine, true);
    if (m_pActiveView && m_pActiveView->GetSafeHwnd())
        m_pActiveView->InvalidateRect(&skin::kStatusLine, true);
    for (UINT kind = 1; kind < kScreenKindCount; ++kind) {
        if (IsScreenUp(kind))
            m_screens[kind]->InvalidateRect(&skin::kStatusLine, true);
    }
}

void CMainFrame::DrawStatusText(HDC dc)
{
    if (!dc)
        return;
    const skin::place::TextFont& look = skin::font::shared::status;
    const Font& font = SkinFont(look);
    COLORREF oldColor = SetTextColor(dc, look.color);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    const Font* oldFont = dc->SelectFont(&font);
    DrawText(dc, m_strStatus, skin::kStatusLine, DT_CENTER);
    dc->SelectFont(oldFont);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColor);
}

bool CMainFrame::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYUP && msg->wParam == VK_F10) {
        bool anyUp = false;
        for (UINT kind = 1; kind < kScreenKindCount; ++kind)
            anyUp = anyUp || IsScreenUp(kind);
        if (!anyUp)
            ShowWindow(SW_HIDE);
    }
    return FrameWindow::PreTranslateMessage(msg);
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (FrameWindow::WindowProc(message, wParam, lParam) == -1)
            return -1;
        return OnCreate();
    case WM_DESTROY: {
        LRESULT result = FrameWindow::WindowProc(message, wParam, lParam);
        OnDestroy();
        return result;
    }
    case WM_PHONE_OPEN_SCREEN:
        OpenScreen(UINT(wParam));
        return 0;
    case WM_PHONE_CLOSE_SCREEN:
        CloseScreen(UINT(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(UINT(wParam));
        return FrameWindow::WindowProc(message, wParam, lParam);
    case WM_PHONE_CONTACTS_CHANGED:
        for (UINT kind : { kScreenIncoming, kScreenOutgoing, kScreenPlaceCall, kScreenCallHist, kScreenContacts })
            PostToScreen(kind, message, 0, 0);
        RefreshMissedNotice();
        return 0;
    case WM_PHONE_SHOW_MISSED:
        OpenMissedCalls();
        return 0;
    case WM_PHONE_SPEECH_READY:
        OnSpeechReady(wParam);
        return 0;
    default: {
        bool handled = false;
        LRESULT result = OnModuleMessage(message, wParam, lParam, handled);
        return handled ? result : FrameWindow::WindowProc(message, wParam, lParam);
    }
    }
}
