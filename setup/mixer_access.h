// Addressing every collected mixer in order.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rkx::setup {

// Sends one change to each mixer in order, stopping at the first failed exchange.
// Returns false when an exchange failed (true also when no mixer was found).
bool SendChangeToAll(DWORD code, const void* in, DWORD inBytes);

// Asks each mixer in order; the last reply counts. False when no mixer was found or any
// exchange failed: the caller then reports its unavailable value.
bool QueryAll(DWORD code, uint8_t* reply, DWORD replyBytes);

}  // namespace rkx::setup
