#include "driver_module.h"

namespace rkx::asio::test {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(WINAPI*)();

DriverModule::DriverModule() { module_ = LoadLibraryA(kDriverFile); }

DriverModule::~DriverModule()
{
    if (factory_ != nullptr) factory_->Release();
    // The module stays loaded: a buffer thread may be ending and COM may hold it.
}

HRESULT DriverModule::GetClassObject(REFCLSID classId, REFIID iid, void** out) const
{
    auto fn = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    return fn == nullptr ? E_FAIL : fn(classId, iid, out);
}

HRESULT DriverModule::CanUnloadNow() const
{
    auto fn = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    return fn == nullptr ? E_FAIL : fn();
}

IClassFactory* DriverModule::Factory()
{
    if (factory_ == nullptr) {
        void* out = nullptr;
        if (SUCCEEDED(GetClassObject(kDriverClassId, IID_IClassFactory, &out))) {
            factory_ = static_cast<IClassFactory*>(out);
        }
    }
    return factory_;
}

IASIO* DriverModule::CreateDriver()
{
    IClassFactory* factory = Factory();
    if (factory == nullptr) return nullptr;
    void* out = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, kDriverClassId, &out))) return nullptr;
    return static_cast<IASIO*>(out);
}

std::wstring DriverModule::path() const
{
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(module_, buffer, MAX_PATH);
    return buffer;
}

}  // namespace rkx::asio::test
