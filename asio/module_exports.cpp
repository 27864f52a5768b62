// The five exported entry points. Thin shims: no exception leaves them.
#include <windows.h>

#include "asio/class_factory.h"
#include "asio/com_base.h"
#include "asio/registration.h"

using namespace rkx::asio;

extern "C" {

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* out)
{
    try {
        return GetClassObject(classId, iid, out);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDAPI DllCanUnloadNow()
{
    return (ServerLockCount > 0 || LiveObjectCount != 0) ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer()
{
    try {
        return RegisterServer();
    } catch (...) {
        return HRESULT(-1);
    }
}

STDAPI DllUnregisterServer()
{
    try {
        return UnregisterServer();
    } catch (...) {
        return HRESULT(-1);
    }
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"
