// The driver as a host sees it: the module loaded from the tests' folder, its class factory,
// and driver objects created through it.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

#include "asio/iasio.h"
#include "tests/support/build_names.h"

namespace rkx::asio::test {

// The class id and file of the build these tests are built for.
constexpr CLSID kDriverClassId = rkx::test::kAsioClassId;
constexpr const char* kDriverFile = rkx::test::kAsioFile;

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
