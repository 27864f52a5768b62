#include "framework/application.h"

#include <commctrl.h>

namespace {
CWinApplication* g_application = nullptr;

// The command line without the program's own (possibly quoted) path.
const wchar_t* ArgumentsOf(const wchar_t* line)
{
    if (line == nullptr) return L"";
    if (*line == L'"') {
        ++line;
        while (*line != L'\0' && *line != L'"') ++line;
        if (*line == L'"') ++line;
    } else {
        while (*line != L'\0' && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}
}  // namespace

CWinApplication::CWinApplication() { g_application = this; }

CWinApplication* CWinApplication::Current() { return g_application; }

int CWinApplication::Run()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int CWinApplication::Main(HINSTANCE instance)
{
    CWinApplication* application = g_application;
    if (application == nullptr) return 1;
    application->instance_ = instance;
    application->commandLine_ = ArgumentsOf(GetCommandLineW());
    // Common controls and visual styles for anything the dialogs may host.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    try {
        if (!application->InitInstance()) return 0;
        return application->Run();
    } catch (...) {
        return 1;
    }
}
