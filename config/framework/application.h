// The application object: one per process, started from WinMain. The program's work happens
// in InitInstance; when it reports failure no message loop follows and the process ends.
#pragma once

#include <windows.h>

class CWinApplication {
public:
    CWinApplication();
    virtual ~CWinApplication() = default;
    CWinApplication(const CWinApplication&) = delete;
    CWinApplication& operator=(const CWinApplication&) = delete;

    // false ends the process without a message loop.
    virtual bool InitInstance() = 0;
    // The loop for applications that keep running after InitInstance; returns the exit code.
    virtual int Run();

    HINSTANCE instance() const { return instance_; }
    // The command line after the program name.
    const wchar_t* commandLine() const { return commandLine_; }
    HWND mainWindow() const { return mainWindow_; }
    void setMainWindow(HWND window) { mainWindow_ = window; }

    // WinMain's body for the one application object.
    static int Main(HINSTANCE instance);
    static CWinApplication* Current();

private:
    HINSTANCE instance_ = nullptr;
    const wchar_t* commandLine_ = L"";
    HWND mainWindow_ = nullptr;
};
