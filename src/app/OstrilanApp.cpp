#include "app/OstrilanApp.h"

#include "app/OstrilanDoc.h"
#include "controller/MainFrame.h"
#include "platform/tooling/Log.h"
#include "platform/tooling/Trace.h"
#include "platform/win/WindowApi.h"
#include "screens/OstrilanView.h"
#include "ui/SkinLayout.h"

COstrilanApp::COstrilanApp() = default;

COstrilanApp::~COstrilanApp()
{
    // The view is a child of the frame: its window goes with the frame's, its object before it.
    m_pView.reset();
    m_pFrame.reset();
}

bool COstrilanApp::HandOver(const std::string& commandLine)
{
    const WString title = CMainFrame::kTitle;
    HWND running = FindWindowW(nullptr, &title);
    Trace::Write("app", "already running" + std::string(running ? "" : ", no window"));
    Log::Write(Log::Priority::Notice, "already running; this launch ends");
    if (!running)
        return false;
    if (commandLine.empty() || commandLine == kHideArgument)
        return true;
    ::ShowWindow(running, SW_SHOW);
    ::SetForegroundWindow(running);
    ::SetFocus(running);
    return true;
}

bool COstrilanApp::InitInstance()
{
    // The argument is ours alone: the frame never sees it as a file to open.
    const std::string commandLine = CommandLine();
    SetCommandLine({});

    m_instanceMutex = std::make_unique<NamedMutex>(kInstanceMutex);
    if (!m_instanceMutex->TryAcquire() && m_instanceMutex->AlreadyExists()) {
        // Reaching the running instance is what this launch was for (the desktop entry's way back
        // from Home): a success. Only an instance that holds the name but shows no window fails.
        m_exitCode = HandOver(commandLine) ? 0 : kExitFailure;
        return false;
    }

    m_pDocument = std::make_unique<COstrilanDoc>();
    m_pFrame = std::make_unique<CMainFrame>();
    SetMainWnd(m_pFrame.get());
    if (!m_pFrame->Create(nullptr, skin::kFullScreen, WS_POPUP, 0, CMainFrame::kTitle)) {
        SetMainWnd(nullptr);
        // Closed while a start-up box was up (a stop signal): an ordinary end, not a failure.
        if (m_pFrame->HasStopped()) {
            m_exitCode = 0;
            return false;
        }
        Trace::Write("app", "start-up failed");
        Log::Error("start-up failed: the main frame could not be created");
        m_exitCode = kExitFailure;
        return false;
    }
    m_pView = std::make_unique<COstrilanView>();
    if (m_pView->CreateView(m_pFrame.get()))
        m_pFrame->SetActiveView(m_pView.get());

    m_pFrame->ShowWindow(commandLine == kHideArgument ? SW_HIDE : SW_SHOW);
    m_pFrame->UpdateWindow();
    return true;
}

int COstrilanApp::ExitInstance()
{
    // A frame still up when the loop ends goes through its own shutdown.
    if (m_pFrame && m_pFrame->GetSafeHwnd())
        m_pFrame->DestroyWindow();
    return Application::ExitInstance();
}
