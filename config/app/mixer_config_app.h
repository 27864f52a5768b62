// The application object: one copy per logon session, then the main window, modally.
#pragma once

#include "framework/application.h"

class CMixerConfigApp : public CWinApplication {
public:
    // Always false: the process ends when the window has closed (or another copy was raised).
    bool InitInstance() override;
};
