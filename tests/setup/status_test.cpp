// Status values from the mixers' replies, with the edge cases of each reply.
#include <gtest/gtest.h>

#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

using Status = SetupTest;

TEST_F(Status, FirmwareIsMostSignificantByteFirstAndFFFFIsUnavailable)
{
    const struct {
        uint32_t firmware;
        int result;
    } kCases[] = {{0x0105, 100}, {0x0000, 100}, {0xFFFE, 100}, {0xFFFF, 102}};
    for (const auto& c : kCases) {
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_FIRMWARE, 0, c.firmware));
        int version = -1;
        EXPECT_EQ(QVR_GetFirmwareVersion(kProduct, 3, &version), c.result) << c.firmware;
        EXPECT_EQ(version, static_cast<int>(c.firmware));
    }
}

TEST_F(Status, CertificationLevelIsFourBytesAndOnly65535IsUnavailable)
{
    const struct {
        uint32_t level;
        int result;
    } kCases[] = {{1, 100}, {0xFFFF, 102}, {0x10000, 100}, {0x01020304, 100}, {0, 100}};
    for (const auto& c : kCases) {
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_CERTIFY_LEVEL, 0, c.level));
        int level = -1;
        EXPECT_EQ(QVR_GetMixerCertifyLevel(kProduct, &level), c.result) << c.level;
        EXPECT_EQ(level, static_cast<int>(c.level));
    }
}

TEST_F(Status, PortInformationIsReplyByteZeroAnd255IsUnavailable)
{
    const struct {
        uint32_t port;
        int result;
    } kCases[] = {{0, 100}, {1, 100}, {254, 100}, {255, 102}};
    for (const auto& c : kCases) {
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_PORT_INFO, 0, c.port));
        int port = -1;
        EXPECT_EQ(QVR_GetPortInfo(kProduct, &port), c.result) << c.port;
        EXPECT_EQ(port, static_cast<int>(c.port));
    }
}

TEST_F(Status, SelectorPositionsComeFromBytesOneToThree)
{
    const uint8_t kPositions[] = {4, 2, 0};
    for (uint32_t channel = 0; channel < 3; ++channel)
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, channel, kPositions[channel]));
    for (int channel = 0; channel < 3; ++channel) {
        int position = -1;
        EXPECT_EQ(QVR_GetMixerInputSelectorStatus(kProduct, channel, &position), 100) << channel;
        EXPECT_EQ(position, kPositions[channel]);
    }
    // Channel 3 has no byte in the reply: it is unavailable, never a neighbour's byte.
    int position = -1;
    EXPECT_EQ(QVR_GetMixerInputSelectorStatus(kProduct, 3, &position), 102);
    EXPECT_EQ(position, 25);
    const struct {
        uint32_t value;
        int result;
    } kEdges[] = {{24, 100}, {25, 102}, {255, 102}};
    for (const auto& c : kEdges) {
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 1, c.value));
        EXPECT_EQ(QVR_GetMixerInputSelectorStatus(kProduct, 1, &position), c.result) << c.value;
        EXPECT_EQ(position, static_cast<int>(c.value));
    }
}

TEST_F(Status, PartnerSoftwareIsZeroOrOneOtherwiseOutputUntouched)
{
    const struct {
        uint32_t reply;
        int result;
        int written;
    } kCases[] = {{0, 100, 0}, {1, 100, 1}, {2, 102, -7}, {255, 102, -7}};
    for (const auto& c : kCases) {
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_PARTNER_ACTIVE, 0, c.reply));
        int active = -7;
        EXPECT_EQ(QVR_GetMixerVantorActiveStatus(kProduct, &active), c.result) << c.reply;
        EXPECT_EQ(active, c.written);
    }
}

TEST_F(Status, QueryReportsTheLastMixersReply)
{
    ASSERT_TRUE(rig.SetPlugged(1, true));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_FIRMWARE, 0, 0x0101));
    ASSERT_TRUE(rig.SetValue(1, VMIX_VALUE_FIRMWARE, 0, 0x0207));
    int version = -1;
    EXPECT_EQ(QVR_GetFirmwareVersion(kProduct, 0, &version), 100);
    EXPECT_EQ(version, 0x0207);
}

TEST_F(Status, AnyFailedExchangeMakesTheQueryUnavailable)
{
    ASSERT_TRUE(rig.SetPlugged(1, true));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, 0x22C024, 1));
    int port = -1;
    EXPECT_EQ(QVR_GetPortInfo(kProduct, &port), 102);
    EXPECT_EQ(port, 255);
}

TEST_F(Status, ConnectionFollowsPluggingAndIgnoresDecoys)
{
    EXPECT_EQ(QVR_IsUSBConnection(kProduct), 103);
    ASSERT_TRUE(rig.SetPlugged(0, false));
    EXPECT_EQ(QVR_IsUSBConnection(kProduct), 104);
    ASSERT_TRUE(rig.SetDecoys(VMIX_DECOY_OTHER_VENDOR | VMIX_DECOY_NO_RENDER | VMIX_DECOY_WAVE2 | VMIX_DECOY_UPPER_CASE));
    EXPECT_EQ(QVR_IsUSBConnection(kProduct), 104);
    ASSERT_TRUE(rig.SetPlugged(1, true));
    EXPECT_EQ(QVR_IsUSBConnection(kProduct), 103);
}

}  // namespace
}  // namespace rkx::setup::test
