#include "app/foreground.h"

namespace config {

void BringToForeground(HWND window)
{
    // A sleeping display wakes for the window that asks for attention.
    SetThreadExecutionState(ES_SYSTEM_REQUIRED);
    SetThreadExecutionState(ES_DISPLAY_REQUIRED);
    HWND foreground = GetForegroundWindow();
    if (foreground == window) return;
    // The system lets the thread that owns the foreground hand it on; joining its input queue
    // and lifting the lock time-out for a moment makes this process that thread.
    const DWORD ownThread = GetCurrentThreadId();
    const DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = foregroundThread != 0 && foregroundThread != ownThread &&
                          AttachThreadInput(ownThread, foregroundThread, TRUE);
    DWORD savedTimeout = 0;
    const bool haveTimeout = SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &savedTimeout, 0);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow(window);
    BringWindowToTop(window);
    if (haveTimeout)
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<ULONG_PTR>(savedTimeout)), 0);
    if (attached) AttachThreadInput(ownThread, foregroundThread, FALSE);
}

}  // namespace config
