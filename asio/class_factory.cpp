#include "asio/class_factory.h"

#include <new>

namespace rkx::asio {

HRESULT STDMETHODCALLTYPE CClassFactory::QueryInterface(REFIID iid, void** out)
{
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CClassFactory::AddRef() { return ULONG(++refCount_); }

ULONG STDMETHODCALLTYPE CClassFactory::Release()
{
    if (--refCount_ == 0) {
        delete this;
        return 0;
    }
    return ULONG(refCount_);
}

HRESULT STDMETHODCALLTYPE CClassFactory::CreateInstance(IUnknown* owner, REFIID iid, void** out)
{
    if (out == nullptr) return E_POINTER;
    // An aggregating owner may only ask for the inner object's IUnknown.
    if (owner != nullptr && !IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
    HRESULT result = S_OK;
    INonDelegatingUnknown* object = entry_->create(owner, &result);
    if (object == nullptr) return E_OUTOFMEMORY;
    if (FAILED(result)) {
        object->NonDelegatingAddRef();
        object->NonDelegatingRelease();
        return result;
    }
    object->NonDelegatingAddRef();
    const HRESULT query = object->NonDelegatingQueryInterface(iid, out);
    object->NonDelegatingRelease();
    return query;
}

HRESULT STDMETHODCALLTYPE CClassFactory::LockServer(BOOL lock)
{
    if (lock) {
        ++ServerLockCount;
    } else {
        --ServerLockCount;
    }
    return S_OK;
}

HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out)
{
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    if (out == nullptr) return E_POINTER;
    const DriverClassEntry& entry = DriverClass();
    if (!IsEqualCLSID(classId, *entry.classId)) return CLASS_E_CLASSNOTAVAILABLE;
    CClassFactory* factory = new (std::nothrow) CClassFactory(&entry);
    *out = static_cast<IClassFactory*>(factory);
    if (factory == nullptr) return E_OUTOFMEMORY;
    factory->AddRef();
    return S_OK;
}

}  // namespace rkx::asio
