// The class factory and the module's table of creatable classes (one entry).
#pragma once

#include <unknwn.h>

#include "asio/com_base.h"

namespace rkx::asio {

// Creates one object aggregated under owner (or null); returns its non-delegating IUnknown,
// or null when memory is exhausted. Never sets the HRESULT itself.
using CreateFunction = INonDelegatingUnknown* (*)(IUnknown* owner, HRESULT* result);

struct DriverClassEntry {
    const CLSID* classId;
    CreateFunction create;
};

const DriverClassEntry& DriverClass();

class CClassFactory : public IClassFactory {
public:
    explicit CClassFactory(const DriverClassEntry* entry) : entry_(entry) {}
    virtual ~CClassFactory() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* owner, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    LONG refCount_ = 0;
    const DriverClassEntry* entry_;
};

// DllGetClassObject's work.
HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out);

}  // namespace rkx::asio
