#include "common/device_discovery.h"
#include "common/device_interface_walk.h"

#include <setupapi.h>

#include <memory>
#include <new>

#include "common/unique_handle.h"
#include "virtualmixer/protocol/virtual_mixer_control.h"

namespace rkx {
namespace {

// KSCATEGORY_AUDIO and KSCATEGORY_RENDER, spelled out so this file needs no kernel-streaming
// headers.
constexpr GUID kAudioCategory = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kRenderCategory = {0x65E8773E, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

UniqueHandle OpenVirtualMixerControl()
{
    return UniqueHandle(CreateFileW(VMIX_CONTROL_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool EnumerateFromVirtualMixer(HANDLE control, AudioFilterVisitor visit, void* context)
{
    std::unique_ptr<VmixInterfaceList> list(new (std::nothrow) VmixInterfaceList{});
    if (!list) return false;
    DWORD returned = 0;
    if (!DeviceIoControl(control, IOCTL_VMIX_LIST_INTERFACES, nullptr, 0, list.get(), sizeof(*list), &returned,
                         nullptr)) {
        return false;
    }
    const UINT count = list->count < VMIX_MAX_LISTED_INTERFACES ? list->count : VMIX_MAX_LISTED_INTERFACES;
    for (UINT i = 0; i < count; ++i) {
        VmixInterfaceEntry& entry = list->entry[i];
        entry.path[RKX_MAX_PATH_CHARS - 1] = L'\0';
        if (!visit(entry.path, (entry.flags & VMIX_INTERFACE_RENDER_ALIAS) != 0, context)) break;
    }
    return true;
}

// Wine exports SetupDiGetDeviceInterfaceAlias as a stub that aborts the process when called,
// so under Wine (where only the virtual mixer can stand in for the mixer anyway) an interface
// is taken to have no render alias.
bool AliasQueryUsable()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

std::unique_ptr<BYTE[]> AllocateDetail(DWORD bytes) { return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[bytes]); }

class DeviceInfoList {
public:
    DeviceInfoList(HDEVINFO handle, decltype(&SetupDiDestroyDeviceInfoList) destroy) : handle_(handle), destroy_(destroy) {}
    ~DeviceInfoList()
    {
        if (valid()) destroy_(handle_);
    }
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;
    HDEVINFO get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

private:
    HDEVINFO handle_;
    decltype(&SetupDiDestroyDeviceInfoList) destroy_;
};

}  // namespace

DeviceInterfaceFunctions SystemDeviceInterfaceFunctions()
{
    DeviceInterfaceFunctions functions;
    functions.getClassDevs = SetupDiGetClassDevsW;
    functions.enumInterfaces = SetupDiEnumDeviceInterfaces;
    functions.interfaceDetail = SetupDiGetDeviceInterfaceDetailW;
    functions.interfaceAlias = AliasQueryUsable() ? SetupDiGetDeviceInterfaceAlias : nullptr;
    functions.destroyList = SetupDiDestroyDeviceInfoList;
    functions.allocate = AllocateDetail;
    return functions;
}

bool WalkDeviceInterfaces(const DeviceInterfaceFunctions& functions, AudioFilterVisitor visit, void* context)
{
    const DeviceInfoList devices(
        functions.getClassDevs(&kAudioCategory, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE),
        functions.destroyList);
    if (!devices.valid()) return false;

    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!functions.enumInterfaces(devices.get(), nullptr, &kAudioCategory, index, &data)) break;

        DWORD required = 0;
        functions.interfaceDetail(devices.get(), &data, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::unique_ptr<BYTE[]> storage = functions.allocate(required);
        // A list with a gap is no list: callers would take a mixer left out for an absent one.
        if (!storage) return false;
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!functions.interfaceDetail(devices.get(), &data, detail, required, nullptr, nullptr)) continue;

        bool hasRenderAlias = false;
        if (functions.interfaceAlias != nullptr) {
            SP_DEVICE_INTERFACE_DATA alias{};
            alias.cbSize = sizeof(alias);
            hasRenderAlias = functions.interfaceAlias(devices.get(), &data, &kRenderCategory, &alias) != FALSE;
        }
        if (!visit(detail->DevicePath, hasRenderAlias, context)) break;
    }
    return true;
}

DiscoverySource ActiveDiscoverySource()
{
    return OpenVirtualMixerControl() ? DiscoverySource::VirtualMixer : DiscoverySource::SystemDeviceInterfaces;
}

bool EnumerateAudioFilterInterfaces(AudioFilterVisitor visit, void* context)
{
    if (visit == nullptr) return false;
    if (UniqueHandle control = OpenVirtualMixerControl()) {
        return EnumerateFromVirtualMixer(control.get(), visit, context);
    }
    return WalkDeviceInterfaces(SystemDeviceInterfaceFunctions(), visit, context);
}

}  // namespace rkx
