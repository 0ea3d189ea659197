#pragma once

// The application object: one per program. It runs the start-up (InitInstance), the loop, and
// the end (ExitInstance), and knows the main window.

#include "platform/win/Window.h"

#include <string>

class WindowSystem;

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Current();

    // False ends the program at once, without running the loop.
    virtual bool InitInstance() { return true; }
    // The program's exit code.
    virtual int ExitInstance() { return m_exitCode; }
    // InitInstance, the loop until the main window goes, ExitInstance.
    int Run(WindowSystem& system);

    Window* GetMainWnd() const { return m_mainWnd; }
    void SetMainWnd(Window* window) { m_mainWnd = window; }
    // The command line: the program's first argument, or empty.
    const std::string& CommandLine() const { return m_commandLine; }
    void SetCommandLine(std::string commandLine) { m_commandLine = std::move(commandLine); }

protected:
    int m_exitCode = 0;

private:
    Window* m_mainWnd = nullptr;
    std::string m_commandLine;
};

// The wait cursor, shown while start-up work blocks the interface.
void BeginWaitCursor();
void EndWaitCursor();
