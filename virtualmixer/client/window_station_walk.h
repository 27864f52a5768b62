// Every top-level window of every desktop of every window station this process can open:
// how device-change broadcasts reach a service's hidden window, which lives on the service
// window station rather than the interactive one.
#pragma once

#include <windows.h>

#include <functional>

namespace rkx::vmix {

// Calls `visit` for each window while the process sits on that window's station (a window of
// another station can only be sent messages from there) and returns the sum of its results.
// The process is back on its own station when this returns.
int ForEachTopLevelWindow(const std::function<int(HWND)>& visit);

}  // namespace rkx::vmix
