// Reference- and object-counting bases of the driver's COM objects.
#pragma once

#include <unknwn.h>

namespace rkx::asio {

// Process-wide counts that decide DllCanUnloadNow.
extern volatile LONG LiveObjectCount;   // atomic: objects derived from CBaseObject
extern LONG ServerLockCount;            // plain: changed only by LockServer

class CBaseObject {
public:
    CBaseObject() { InterlockedIncrement(&LiveObjectCount); }
    virtual ~CBaseObject() { InterlockedDecrement(&LiveObjectCount); }
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
};

struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

class CUnknown : public CBaseObject, public INonDelegatingUnknown {
public:
    // owner: the aggregating object's controlling IUnknown, or null.
    explicit CUnknown(IUnknown* owner);

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    IUnknown* Owner() const { return owner_; }

private:
    IUnknown* owner_;
    volatile LONG refCount_ = 0;
};

}  // namespace rkx::asio
