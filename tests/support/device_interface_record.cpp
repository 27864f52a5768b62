#include "tests/support/device_interface_record.h"

#include <cstddef>
#include <cstring>

namespace rkx::test {

DeviceInterfaceRecord::DeviceInterfaceRecord(const std::wstring& name, const GUID& interfaceClass)
{
    const size_t nameBytes = (name.size() + 1) * sizeof(wchar_t);
    bytes_.assign(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + nameBytes, 0);
    if (bytes_.size() < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)) bytes_.resize(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W));
    DEV_BROADCAST_DEVICEINTERFACE_W* record = get();
    record->dbcc_size = static_cast<DWORD>(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + nameBytes);
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_classguid = interfaceClass;
    std::memcpy(record->dbcc_name, name.c_str(), nameBytes);
}

}  // namespace rkx::test
