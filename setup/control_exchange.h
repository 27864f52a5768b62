// One control request to one mixer path: open, exchange, close.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rkx::setup {

// Sends `in` and fills `out` (zeroed first). False when the path cannot be opened or the
// request fails, also when it completes later with a failure.
bool ExchangeControl(const wchar_t* path, DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes);

}  // namespace rkx::setup
