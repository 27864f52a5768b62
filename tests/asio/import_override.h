// Replaces one function that a loaded module imports, for the life of the object: the way to
// make a system call fail inside the driver where no real condition can make it fail on
// demand (an event that cannot be created).
#pragma once

#include <windows.h>

namespace rkx::asio::test {

class ImportOverride {
public:
    // `library` is matched without regard to case ("kernel32.dll").
    ImportOverride(HMODULE module, const char* library, const char* function, void* replacement);
    ~ImportOverride();
    ImportOverride(const ImportOverride&) = delete;
    ImportOverride& operator=(const ImportOverride&) = delete;

    bool active() const { return slot_ != nullptr; }
    void* original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace rkx::asio::test
