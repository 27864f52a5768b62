// Process entry of RKX-T2_AutoSetup: one copy per machine, then the service (or, started by
// hand, the same monitoring as a plain process).
#include <windows.h>

#include "autosetup/autosetup_state.h"
#include "autosetup/resource_ids.h"
#include "autosetup/service_module.h"
#include "common/unique_handle.h"
#include "common/unique_registry_key.h"
#include "include/rkx_t2_setup.h"

namespace {

using rkx::UniqueHandle;
using rkx::UniqueKey;
using rkx::autosetup::g_module;

constexpr wchar_t kInstanceMutex[] = L"Global\\NTRKX-T2_AUTOSETUP";
constexpr wchar_t kAppIdKey[] = L"AppID";
constexpr wchar_t kServiceAppId[] = L"{08803D64-BB70-4C7F-8499-7962A2CB2F94}";
constexpr wchar_t kLocalServiceValue[] = L"LocalService";
// {2E97DC3A-27C8-4C67-AF59-22024B8ECFAE}: the type library's identifier.
constexpr GUID kLibraryId = {0x2E97DC3A, 0x27C8, 0x4C67, {0xAF, 0x59, 0x22, 0x02, 0x4B, 0x8E, 0xCF, 0xAE}};

int RunProcess(HINSTANCE instance)
{
    if (UniqueHandle running{OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutex)}) return 0;
    UniqueHandle instanceMutex(CreateMutexW(nullptr, TRUE, kInstanceMutex));
    if (!instanceMutex) return 0;
    const DWORD claim = WaitForSingleObject(instanceMutex.get(), 0);
    if (claim != WAIT_OBJECT_0 && claim != WAIT_ABANDONED) return 0;

    g_module.InitModule(instance, IDS_SERVICE_NAME, kLibraryId);
    QVR_GetProductId(L"RKX-T2", &rkx::autosetup::State().productId);

    UniqueKey appIds;
    LONG opened = RegOpenKeyExW(HKEY_CLASSES_ROOT, kAppIdKey, 0, KEY_READ, appIds.receive());
    if (opened != ERROR_SUCCESS) return static_cast<int>(opened);
    UniqueKey appId;
    opened = RegOpenKeyExW(appIds.get(), kServiceAppId, 0, KEY_READ, appId.receive());
    if (opened != ERROR_SUCCESS) return static_cast<int>(opened);

    // Only the value's presence counts: a text longer than the buffer is present too.
    BYTE localService[260];
    DWORD bytes = sizeof(localService);
    const LONG read = RegQueryValueExW(appId.get(), kLocalServiceValue, nullptr, nullptr, localService, &bytes);
    g_module.SetRunAsService(read == ERROR_SUCCESS || read == ERROR_MORE_DATA);

    g_module.StartModule();
    // The keys and the mutex close on the way out.
    return static_cast<int>(g_module.ExitCode());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    try {
        return RunProcess(instance);
    } catch (...) {
        return static_cast<int>(ERROR_INTERNAL_ERROR);
    }
}
