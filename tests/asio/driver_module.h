// The driver as a host sees it: the module loaded from the tests' folder, its class factory,
// and driver objects created through it.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

#include "asio/iasio.h"

namespace rkx::asio::test {

// {5A3C9E21-7B4D-4F08-9C62-1D8E0B7A4F35}: the 64-bit build's class id.
constexpr CLSID kDriverClassId = {0x5A3C9E21, 0x7B4D, 0x4F08, {0x9C, 0x62, 0x1D, 0x8E, 0x0B, 0x7A, 0x4F, 0x35}};
constexpr char kDriverFile[] = "RKX-T2_ASIO64.dll";

class DriverModule {
public:
    DriverModule();
    ~DriverModule();
    bool loaded() const { return module_ != nullptr; }

    HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out) const;
    HRESULT CanUnloadNow() const;
    IClassFactory* Factory();  // owned by the module object
    // A driver created as hosts do (interface id = class id); null on failure.
    IASIO* CreateDriver();
    std::wstring path() const;

private:
    HMODULE module_ = nullptr;
    IClassFactory* factory_ = nullptr;
};

// Releases an IASIO at scope end.
struct DriverRef {
    IASIO* driver = nullptr;
    explicit DriverRef(IASIO* d) : driver(d) {}
    ~DriverRef()
    {
        if (driver != nullptr) driver->Release();
    }
    DriverRef(const DriverRef&) = delete;
    DriverRef& operator=(const DriverRef&) = delete;
    IASIO* operator->() const { return driver; }
    explicit operator bool() const { return driver != nullptr; }
};

}  // namespace rkx::asio::test
