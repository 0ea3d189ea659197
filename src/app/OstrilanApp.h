#pragma once

// The application object: starts the phone once per device, hands a second launch over to the
// running instance, and builds the frame, its document and its main view.

#include "platform/controls/Application.h"
#include "platform/devices/NamedMutex.h"

#include <memory>

class CMainFrame;
class COstrilanDoc;
class COstrilanView;

class COstrilanApp : public Application {
public:
    static constexpr const char* kInstanceMutex = "ThisIsHarnloForQuorvaCorp1000";
    static constexpr const char* kHideArgument = "HIDE";
    static constexpr int kExitFailure = 1;

    COstrilanApp();
    ~COstrilanApp() override;

    bool InitInstance() override;
    int ExitInstance() override;

private:
    // Shows the running instance when the argument asks for it.
    static bool HandOver(const std::string& commandLine);

    // Held for the life of the process, as the device's mutex went with it.
    std::unique_ptr<NamedMutex> m_instanceMutex;
    std::unique_ptr<COstrilanDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pFrame;
    std::unique_ptr<COstrilanView> m_pView;
};
