// Which device-change messages make the service check the mixer's connection.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "autosetup/device_broadcast_filter.h"

namespace rkx::autosetup {
namespace {

constexpr GUID kUsbDeviceClass = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

// A device-interface record holding `name` (terminated), its size as declared.
std::vector<BYTE> InterfaceRecord(const std::wstring& name)
{
    std::vector<BYTE> bytes(kNameOffset + (name.size() + 1) * sizeof(wchar_t), 0);
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    record->dbcc_size = static_cast<DWORD>(bytes.size());
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_classguid = kUsbDeviceClass;
    std::memcpy(record->dbcc_name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    return bytes;
}

const std::wstring kMixer = L"\\\\?\\USB#VID_3C1A&PID_0052#RKXVM00000#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST(AutoSetupDeviceFilter, InterfaceEventsPassOnlyForTheMixer)
{
    struct Case {
        WPARAM event;
        std::wstring name;
        bool passes;
    };
    const Case cases[] = {
        {DBT_DEVICEARRIVAL, kMixer, true},
        {DBT_DEVICEREMOVECOMPLETE, kMixer, true},
        {DBT_DEVICEARRIVAL, L"\\\\?\\usb#vid_3c1a&pid_0052#rkxvm00000#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", true},
        {DBT_DEVICEARRIVAL, L"\\\\?\\USB#VID_1A2B&PID_0001#X#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", false},
        {DBT_DEVICEARRIVAL, L"\\\\?\\USB#VID_3C1A&PID_0053#X#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", false},
        {DBT_DEVICEREMOVECOMPLETE, L"", false},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> record = InterfaceRecord(c.name);
        EXPECT_EQ(DeviceChangeConcernsMixer(c.event, record.data()), c.passes)
            << std::string(c.name.begin(), c.name.end());
    }
}

TEST(AutoSetupDeviceFilter, OtherEventsAndDeviceTypesAlwaysPass)
{
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVNODES_CHANGED, nullptr));
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, nullptr));
    // Other events with an unrelated device's interface: the filter only looks at arrivals and removals.
    std::vector<BYTE> other = InterfaceRecord(L"\\\\?\\USB#VID_1A2B&PID_0001#X#{x}");
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVICEQUERYREMOVE, other.data()));
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, &volume));
}

TEST(AutoSetupDeviceFilter, OverlongNamesAreCutAt259Characters)
{
    // Tag near the start of a name far longer than the buffer: found, and nothing overflows.
    std::vector<BYTE> longAfter = InterfaceRecord(kMixer + std::wstring(2000, L'x'));
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, longAfter.data()));
    // Tag starting at character 250: cut off, so not the mixer.
    std::vector<BYTE> tagLate = InterfaceRecord(std::wstring(250, L'x') + kMixer);
    EXPECT_FALSE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, tagLate.data()));
}

TEST(AutoSetupDeviceFilter, NameIsReadOnlyWithinTheDeclaredSize)
{
    // The record claims fewer characters than follow: the mixer's tag lies beyond its end.
    const std::wstring name = L"\\\\?\\" + kMixer;
    std::vector<BYTE> record = InterfaceRecord(name);
    auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(record.data());
    header->dbch_size = static_cast<DWORD>(kNameOffset + 6 * sizeof(wchar_t));
    EXPECT_FALSE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, record.data()));
    // A record too short to hold any name.
    header->dbch_size = static_cast<DWORD>(kNameOffset);
    EXPECT_FALSE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, record.data()));
}

}  // namespace
}  // namespace rkx::autosetup
