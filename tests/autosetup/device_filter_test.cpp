// Which device-change messages make the service check the mixer's connection.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "autosetup/device_broadcast_filter.h"
#include "tests/support/device_interface_record.h"

namespace rkx::autosetup {
namespace {

using ::rkx::test::DeviceInterfaceRecord;
constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

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
        DeviceInterfaceRecord record(c.name);
        EXPECT_EQ(DeviceChangeConcernsMixer(c.event, record.get()), c.passes)
            << std::string(c.name.begin(), c.name.end());
    }
}

TEST(AutoSetupDeviceFilter, OtherEventsAndDeviceTypesAlwaysPass)
{
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVNODES_CHANGED, nullptr));
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, nullptr));
    // Other events with an unrelated device's interface: the filter only looks at arrivals and removals.
    DeviceInterfaceRecord other(L"\\\\?\\USB#VID_1A2B&PID_0001#X#{x}");
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVICEQUERYREMOVE, other.get()));
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, &volume));
}

TEST(AutoSetupDeviceFilter, OverlongNamesAreCutAt259Characters)
{
    // Tag near the start of a name far longer than the buffer: found, and nothing overflows.
    DeviceInterfaceRecord longAfter(kMixer + std::wstring(2000, L'x'));
    EXPECT_TRUE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, longAfter.get()));
    // Tag starting at character 250: cut off, so not the mixer.
    DeviceInterfaceRecord tagLate(std::wstring(250, L'x') + kMixer);
    EXPECT_FALSE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, tagLate.get()));
}

TEST(AutoSetupDeviceFilter, NameIsReadOnlyWithinTheDeclaredSize)
{
    // The record claims fewer characters than follow: the mixer's tag lies beyond its end.
    const std::wstring name = L"\\\\?\\" + kMixer;
    DeviceInterfaceRecord record(name);
    auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(record.get());
    header->dbch_size = static_cast<DWORD>(kNameOffset + 6 * sizeof(wchar_t));
    EXPECT_FALSE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, record.get()));
    // A record too short to hold any name.
    header->dbch_size = static_cast<DWORD>(kNameOffset);
    EXPECT_FALSE(DeviceChangeConcernsMixer(DBT_DEVICEARRIVAL, record.get()));
}

}  // namespace
}  // namespace rkx::autosetup
