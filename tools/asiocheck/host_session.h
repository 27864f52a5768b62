// One streaming session of the check host: the callbacks, the test signal, the recording
// and the timing of every buffer switch.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "asio/iasio.h"
#include "virtualmixer/client/stream_figures.h"

namespace asiocheck {

struct SessionSetup {
    IASIO* driver = nullptr;
    long bufferFrames = 0;
    double seconds = 0;
    std::vector<long> outputs;
    std::vector<long> inputs;
};

struct SessionResult {
    bool started = false;
    ASIOError error = ASE_OK;
    double elapsedSeconds = 0;       // from the first buffer switch on
    double startupMs = -1;           // from start() to the first buffer switch
    size_t switches = 0;
    // Periods between switches after the first, the driver's sample positions, and from them
    // the missed and late buffers.
    std::unique_ptr<rkx::vmix::StreamFigures> figures;
    double driverCpuUsPerSwitch = -1; // buffer thread's CPU time outside the callback
    double callbackUsPerSwitch = -1;  // the check host's own work inside the callback
    size_t bytesPerSwitch = 0;       // host buffer bytes the driver copies at each switch
    double memcpyUsPerSwitch = -1;   // a plain memcpy of those bytes, median, same run
    double memcpyOnThreadUsPerSwitch = -1; // the same memcpy on the buffer thread at each switch
    double driverCopyUsPerSwitch = -1; // the driver's own copies, as it timed them itself
    bool timeInfo = false;
    long roundTripFrames = -1;       // -1: not measured
    std::vector<std::vector<int32_t>> recorded;  // one per input
};

// Streams for setup.seconds; the driver is initialised and has no buffers yet.
SessionResult RunSession(const SessionSetup& setup);

// The test signal on every output: a 3 kHz tone with a level step every half second that
// the round-trip measurement looks for.
int32_t TestSignal(uint64_t frame);
constexpr uint64_t kMarkerEvery = 24000;
constexpr uint64_t kMarkerFrames = 64;

}  // namespace asiocheck
