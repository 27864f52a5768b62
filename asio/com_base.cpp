#include "asio/com_base.h"

namespace rkx::asio {

volatile LONG LiveObjectCount = 0;
LONG ServerLockCount = 0;

CUnknown::CUnknown(IUnknown* owner)
    // Without an owner the object controls itself: its non-delegating IUnknown has the same
    // three slots as IUnknown.
    : owner_(owner != nullptr ? owner
                              : reinterpret_cast<IUnknown*>(static_cast<INonDelegatingUnknown*>(this)))
{
}

HRESULT STDMETHODCALLTYPE CUnknown::NonDelegatingQueryInterface(REFIID iid, void** out)
{
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown)) {
        *out = static_cast<INonDelegatingUnknown*>(this);
        NonDelegatingAddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingAddRef()
{
    const LONG count = InterlockedIncrement(&refCount_);
    return count > 1 ? ULONG(count) : 1u;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingRelease()
{
    const LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) {
        // Calls made during destruction must not destroy the object a second time.
        refCount_ = 1;
        delete this;
        return 0;
    }
    return count > 1 ? ULONG(count) : 1u;
}

}  // namespace rkx::asio
