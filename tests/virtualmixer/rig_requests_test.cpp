// The control device's own requests: sizes it insists on, reset, and values that show in the
// status reply.
#include <memory>
#include <vector>

#include "rig_fixture.h"

namespace rkx::vmix::test {
namespace {

using RigRequests = RigTest;

TEST_F(RigRequests, RequestsWithAShortPayloadOrReplyBufferAreRefused)
{
    const struct {
        const char* name;
        DWORD code;
        DWORD inBytes;
        DWORD outBytes;
    } kShort[] = {
        {"plug request", IOCTL_VMIX_SET_PLUGGED, sizeof(VmixPlugRequest) - 1, 0},
        {"set value request", IOCTL_VMIX_SET_VALUE, sizeof(VmixSetValueRequest) - 1, 0},
        {"fault request", IOCTL_VMIX_SET_FAULT, sizeof(VmixFaultRequest) - 1, 0},
        {"stats mixer index", IOCTL_VMIX_GET_STATS, 3, sizeof(VmixStats)},
        {"stats reply", IOCTL_VMIX_GET_STATS, 4, sizeof(VmixStats) - 1},
        {"status reply", IOCTL_VMIX_GET_STATUS, 0, sizeof(VmixStatus) - 1},
        {"decoy mask", IOCTL_VMIX_SET_DECOYS, 3, 0},
        {"capture arm", IOCTL_VMIX_CAPTURE_ARM, sizeof(VmixCaptureArm) - 1, 0},
        {"inject clear", IOCTL_VMIX_INJECT_CLEAR, sizeof(VmixInjectClear) - 1, 0},
    };
    // Zeroed payloads would be valid requests for mixer 0 if their size were accepted.
    std::vector<uint8_t> in(64, 0);
    std::vector<uint8_t> out(sizeof(VmixStatus), 0);
    for (const auto& r : kShort) {
        SCOPED_TRACE(r.name);
        EXPECT_FALSE(rig.Request(r.code, in.data(), r.inBytes, out.data(), r.outBytes));
    }
    EXPECT_EQ(StateOf(0).plugged, 1u) << "a refused plug request must not unplug mixer 0";
}

TEST_F(RigRequests, ValuesAndPlugStateShowInTheStatus)
{
    ASSERT_TRUE(rig.SetPlugged(2, true));
    ASSERT_TRUE(rig.SetValue(2, VMIX_VALUE_SELECTOR, 1, RKX_SELECTOR_POSITION_PHONO));
    ASSERT_TRUE(rig.SetValue(2, VMIX_VALUE_SEND_SOURCE, 3, 7));
    ASSERT_TRUE(rig.SetValue(2, VMIX_VALUE_RECEIVE_ROUTE, 0, 2));
    ASSERT_TRUE(rig.SetValue(2, VMIX_VALUE_BOOST_LEVEL, 0, 0));
    ASSERT_TRUE(rig.SetValue(2, VMIX_VALUE_FIRMWARE, 0, 0x0312));
    VmixStatus status{};
    ASSERT_TRUE(rig.GetStatus(status));
    EXPECT_EQ(status.version, VMIX_PROTOCOL_VERSION);
    EXPECT_EQ(status.mixerCount, VMIX_MAX_MIXERS);
    EXPECT_EQ(PluggedMixers(status), (std::vector<uint32_t>{0, 2}));
    const VmixMixerState& m = status.mixer[2];
    EXPECT_EQ(m.selector[1], RKX_SELECTOR_POSITION_PHONO);
    EXPECT_EQ(m.sendSource[3], 7u);
    EXPECT_EQ(m.receiveRoute[0], 2u);
    EXPECT_EQ(m.boostLevel, 0u);
    EXPECT_EQ(m.firmware, 0x0312u);
    EXPECT_EQ(status.mixer[0].firmware, 0x0105u) << "values apply to one mixer only";
}

TEST_F(RigRequests, ResetRestoresEveryDefault)
{
    ASSERT_TRUE(rig.SetPlugged(1, true));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, RKX_SELECTOR_POSITION_LINE));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_CERTIFY_LEVEL, 0, 9));
    ASSERT_TRUE(rig.SetDecoys(VMIX_DECOY_ALL));
    ASSERT_TRUE(rig.Reset());
    VmixStatus status{};
    ASSERT_TRUE(rig.GetStatus(status));
    EXPECT_EQ(PluggedMixers(status), (std::vector<uint32_t>{0}));
    EXPECT_EQ(status.decoys, 0u);
    const VmixMixerState& m = status.mixer[0];
    EXPECT_EQ((std::vector<uint8_t>(m.selector, m.selector + 3)), (std::vector<uint8_t>{4, 4, 2}));
    EXPECT_EQ((std::vector<uint32_t>(m.sendSource, m.sendSource + 4)), (std::vector<uint32_t>{0, 0, 0, 0}));
    EXPECT_EQ((std::vector<uint32_t>(m.receiveRoute, m.receiveRoute + 3)), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(m.boostLevel, 3u);
    EXPECT_EQ(m.launchAnswer, 0u);
    EXPECT_EQ(m.partnerActive, 0u);
    EXPECT_EQ(m.firmware, 0x0105u);
    EXPECT_EQ(m.portInfo, 1u);
    EXPECT_EQ(m.certifyLevel, 1u);
    EXPECT_EQ(m.lastDirectWord, 0xFFFFFFFFu);
}

TEST_F(RigRequests, RequestsForAMixerSlotBeyondTheLastAreRefused)
{
    EXPECT_FALSE(rig.SetPlugged(VMIX_MAX_MIXERS, true));
    EXPECT_FALSE(rig.SetValue(VMIX_MAX_MIXERS, VMIX_VALUE_BOOST_LEVEL, 0, 1));
    VmixStats stats{};
    EXPECT_FALSE(rig.GetStats(VMIX_MAX_MIXERS, stats));
}

}  // namespace
}  // namespace rkx::vmix::test
