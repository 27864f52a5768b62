// Self-registration of the driver's class and its entry in the ASIO driver list.
#pragma once

#include <windows.h>

namespace rkx::asio {

// Results: 0 success; -101 module not loaded; -102 no module file name; -103 class id text;
// -104 ANSI conversion; -105 a key could not be created; -106 a value could not be written.
int RegisterDriverKeys();
int UnregisterDriverKeys();

// The exported entry points' work: 0, or -1 after the failure message box.
HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace rkx::asio
