// Owner of an open registry key: one RegCloseKey, in one place.
#pragma once

#include <windows.h>

#include <utility>

namespace rkx::asio {

class UniqueKey {
public:
    UniqueKey() = default;
    explicit UniqueKey(HKEY key) : key_(key) {}
    ~UniqueKey() { reset(); }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    UniqueKey(UniqueKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

    HKEY get() const { return key_; }
    HKEY* put()
    {
        reset();
        return &key_;
    }
    explicit operator bool() const { return key_ != nullptr; }
    void reset()
    {
        if (key_ != nullptr) RegCloseKey(std::exchange(key_, nullptr));
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace rkx::asio
