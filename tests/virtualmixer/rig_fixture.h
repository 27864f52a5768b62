// Fixture of every test that needs the virtual mixer: the rig is reset before and after
// each test, so tests neither depend on nor leak state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "virtualmixer/client/pin_stream.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::vmix::test {

constexpr double kPeak = VMIX_SOURCE_PEAK;

class RigTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // wave1 path of a plugged mixer, as the rig lists it (empty when absent).
    std::wstring StreamPathOf(uint32_t mixer);
    // Opens mixer's pin and sets 48 kHz, `frames`, one output pin.
    ::testing::AssertionResult OpenConfigured(PinStream& pin, uint32_t mixer, uint32_t frames);
    VmixMixerState StateOf(uint32_t mixer);
    VmixStats StatsOf(uint32_t mixer);

    VirtualMixerClient rig;
};

}  // namespace rkx::vmix::test
