// Owner for registry keys: one RegCloseKey, in one place. Predefined roots are never closed.
#pragma once

#include <windows.h>

#include <utility>

namespace rkx {

class UniqueKey {
public:
    UniqueKey() = default;
    explicit UniqueKey(HKEY key) : key_(key) {}
    ~UniqueKey() { reset(); }

    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    UniqueKey(UniqueKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    UniqueKey& operator=(UniqueKey&& other) noexcept
    {
        if (this != &other) reset(std::exchange(other.key_, nullptr));
        return *this;
    }

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    // For the Reg* functions that return a key through a pointer.
    HKEY* receive()
    {
        reset();
        return &key_;
    }
    void reset(HKEY key = nullptr)
    {
        HKEY old = std::exchange(key_, key);
        if (old != nullptr && !IsPredefined(old)) RegCloseKey(old);
    }

private:
    static bool IsPredefined(HKEY key)
    {
        return key == HKEY_CURRENT_USER || key == HKEY_USERS || key == HKEY_LOCAL_MACHINE ||
               key == HKEY_CLASSES_ROOT;
    }
    HKEY key_ = nullptr;
};

}  // namespace rkx
