// File-system redirection of a 32-bit process on 64-bit Windows, switched off for one scope.
// The previous state comes back on every way out of the scope, also when the work in it
// throws: a thread left without redirection would open 64-bit files where it expects its own.
#pragma once

#include <windows.h>

namespace rkx::setup {

// The two kernel32 functions, looked up at run time (absent on systems without WOW64).
struct RedirectionFunctions {
    BOOL(WINAPI* disable)(PVOID* previous) = nullptr;
    BOOL(WINAPI* revert)(PVOID previous) = nullptr;
};

class RedirectionOff {
public:
    explicit RedirectionOff(const RedirectionFunctions& functions) : revert_(functions.revert)
    {
        active_ = functions.disable != nullptr && revert_ != nullptr && functions.disable(&previous_);
    }
    ~RedirectionOff()
    {
        if (active_) revert_(previous_);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

    // False when either function is missing or switching off failed: nothing was changed.
    bool active() const { return active_; }

private:
    BOOL(WINAPI* revert_)(PVOID) = nullptr;
    PVOID previous_ = nullptr;
    bool active_ = false;
};

}  // namespace rkx::setup
