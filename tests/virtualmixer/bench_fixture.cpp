#include "bench_fixture.h"

#include "virtualmixer/client/mixer_paths.h"

namespace rkx::vmix::test {

void BenchTest::SetUp()
{
    ASSERT_TRUE(bench.IsOpen()) << "the virtual mixer is not loaded (cannot open \\\\.\\RkxVirtualMixer, error "
                                << bench.OpenError() << ")";
    ASSERT_TRUE(bench.Reset()) << "reset failed, error " << GetLastError();
}

void BenchTest::TearDown()
{
    if (bench.IsOpen()) bench.Reset();
}

std::wstring BenchTest::StreamPathOf(uint32_t mixer)
{
    std::vector<InterfaceInfo> interfaces;
    if (!bench.ListInterfaces(interfaces)) return {};
    return MixerStreamPath(interfaces, mixer);
}

::testing::AssertionResult BenchTest::OpenConfigured(PinStream& pin, uint32_t mixer, uint32_t frames)
{
    const std::wstring path = StreamPathOf(mixer);
    if (path.empty()) return ::testing::AssertionFailure() << "mixer " << mixer << " has no wave1 interface";
    if (!pin.Open(path)) return ::testing::AssertionFailure() << "open failed, error " << pin.lastError();
    if (!pin.Configure(frames)) return ::testing::AssertionFailure() << "setup failed, error " << pin.lastError();
    return ::testing::AssertionSuccess();
}

VmixMixerState BenchTest::StateOf(uint32_t mixer)
{
    VmixStatus status{};
    EXPECT_TRUE(bench.GetStatus(status));
    return status.mixer[mixer % VMIX_MAX_MIXERS];
}

VmixStats BenchTest::StatsOf(uint32_t mixer)
{
    VmixStats stats{};
    EXPECT_TRUE(bench.GetStats(mixer, stats));
    return stats;
}

}  // namespace rkx::vmix::test
