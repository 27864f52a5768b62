// A host of the test process streaming through the installed 64-bit ASIO driver: created
// through COM by its class, initialised, buffers at the driver's preferred size, started.
#pragma once

#include "test_host.h"

#include <memory>
#include <string>

namespace page_test {

class RigHost {
public:
    RigHost();
    ~RigHost();
    RigHost(const RigHost&) = delete;
    RigHost& operator=(const RigHost&) = delete;

    // Creates the driver anew and streams until buffer switches arrive; false with error().
    bool Start();
    // Stops and releases the driver, as a host does before it creates the driver again.
    void Stop();

    long bufferFrames() const { return frames_; }
    // Reset requests the current driver object sent since Start.
    long resetRequests() const { return host_ ? host_->resetRequests() : 0; }
    const std::string& error() const { return error_; }

private:
    IASIO* driver_ = nullptr;
    std::unique_ptr<rkx::asio::test::TestHost> host_;
    long frames_ = 0;
    std::string error_;
    bool comStarted_ = false;
};

}  // namespace page_test
