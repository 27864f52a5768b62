#include "autosetup/device_broadcast_filter.h"

#include <dbt.h>

#include <cstddef>
#include <cwchar>

#include "common/mixer_requests.h"

namespace rkx::autosetup {

bool DeviceChangeConcernsMixer(WPARAM event, const void* record)
{
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return true;
    const auto* header = static_cast<const DEV_BROADCAST_HDR*>(record);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return true;

    constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (header->dbch_size <= kNameOffset) return false;  // an interface record without a name
    const auto* device = static_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(record);
    const size_t available = (header->dbch_size - kNameOffset) / sizeof(wchar_t);

    wchar_t name[RKX_MAX_PATH_CHARS] = {};
    for (size_t i = 0; i < available && i + 1 < RKX_MAX_PATH_CHARS && device->dbcc_name[i] != L'\0'; ++i) {
        name[i] = device->dbcc_name[i];
    }
    CharUpperW(name);
    return std::wcsstr(name, RKX_USB_DEVICE_NAME_TAG) != nullptr;
}

}  // namespace rkx::autosetup
