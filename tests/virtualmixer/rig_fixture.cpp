#include "rig_fixture.h"

#include "virtualmixer/client/mixer_paths.h"

namespace rkx::vmix::test {

void RigTest::SetUp()
{
    ASSERT_TRUE(rig.IsOpen()) << "the virtual mixer is not loaded (cannot open \\\\.\\RkxVirtualMixer, error "
                                << rig.OpenError() << ")";
    ASSERT_TRUE(rig.Reset()) << "reset failed, error " << GetLastError();
}

void RigTest::TearDown()
{
    if (rig.IsOpen()) rig.Reset();
}

std::wstring RigTest::StreamPathOf(uint32_t mixer)
{
    std::vector<InterfaceInfo> interfaces;
    if (!rig.ListInterfaces(interfaces)) return {};
    return MixerStreamPath(interfaces, mixer);
}

::testing::AssertionResult RigTest::OpenConfigured(PinStream& pin, uint32_t mixer, uint32_t frames)
{
    const std::wstring path = StreamPathOf(mixer);
    if (path.empty()) return ::testing::AssertionFailure() << "mixer " << mixer << " has no wave1 interface";
    if (!pin.Open(path)) return ::testing::AssertionFailure() << "open failed, error " << pin.lastError();
    if (!pin.Configure(frames)) return ::testing::AssertionFailure() << "setup failed, error " << pin.lastError();
    return ::testing::AssertionSuccess();
}

VmixMixerState RigTest::StateOf(uint32_t mixer)
{
    VmixStatus status{};
    EXPECT_TRUE(rig.GetStatus(status));
    return status.mixer[mixer % VMIX_MAX_MIXERS];
}

VmixStats RigTest::StatsOf(uint32_t mixer)
{
    VmixStats stats{};
    EXPECT_TRUE(rig.GetStats(mixer, stats));
    return stats;
}

}  // namespace rkx::vmix::test
