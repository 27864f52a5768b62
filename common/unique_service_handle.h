// Owner for service manager and service handles: one CloseServiceHandle, in one place.
#pragma once

#include <windows.h>
#include <winsvc.h>

#include <utility>

namespace rkx {

class UniqueServiceHandle {
public:
    UniqueServiceHandle() = default;
    explicit UniqueServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~UniqueServiceHandle() { reset(); }

    UniqueServiceHandle(const UniqueServiceHandle&) = delete;
    UniqueServiceHandle& operator=(const UniqueServiceHandle&) = delete;
    UniqueServiceHandle(UniqueServiceHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueServiceHandle& operator=(UniqueServiceHandle&& other) noexcept
    {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }

    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(SC_HANDLE handle = nullptr)
    {
        SC_HANDLE old = std::exchange(handle_, handle);
        if (old != nullptr) CloseServiceHandle(old);
    }

private:
    SC_HANDLE handle_ = nullptr;
};

}  // namespace rkx
