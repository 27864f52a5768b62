// An engine on a scripted device, with the limits shortened so failures show quickly.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scripted_device.h"

namespace rkx::asio::test {

constexpr unsigned kHangLimitMs = 10000;  // only catches a hang

struct HostChannel {
    bool isInput;
    int32_t channel;
};

// The hold limit stays generous: only the tests of a busy thread reach it.
inline EngineLimits ShortLimits() { return EngineLimits{2000, 50, 1000}; }

class EngineTest : public ::testing::Test {
protected:

    void Make(int32_t frames, const std::vector<HostChannel>& channels, EngineLimits limits = ShortLimits())
    {
        engine = std::make_unique<StreamEngine>(device, device, host, limits);
        engine->ListPins();
        engine->SetBufferFrames(frames);
        host.frames = frames;
        for (const HostChannel& c : channels) host.Add(*engine, c.isInput, c.channel);
    }
    bool Start() { return engine->PreparePins() && engine->StartStreaming(); }
    // True once the host has seen `count` switches in all.
    bool AwaitSwitches(long count)
    {
        return device.WaitFor([&](const std::vector<Event>&) { return device.Switches() >= count; }, kHangLimitMs);
    }
    void TearDown() override
    {
        if (engine) engine->Stop();
        engine.reset();
        const std::vector<std::string> violations = device.Violations();
        EXPECT_TRUE(violations.empty()) << violations.front();
    }

    ScriptedDevice device;
    ScriptedHost host{device};
    std::unique_ptr<StreamEngine> engine;
};

}  // namespace rkx::asio::test
