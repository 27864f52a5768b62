// A host streaming through the 64-bit ASIO driver on this thread, as DJ software does: the
// driver's window belongs to the thread that called start, so every wait here keeps
// dispatching messages.
#pragma once

#include <windows.h>

#include <string>

#include "tests/asio/driver_module.h"
#include "tests/asio/test_host.h"

namespace rkx::stress {

class StreamingSession {
public:
    ~StreamingSession();

    // Creates the driver, initialises it, creates buffers for outputs 0 and 1 and input 0,
    // starts and waits for the first switches. Empty on success, else what failed.
    std::string Open(long frames);
    // Waits (dispatching messages) until `more` switches beyond the current count arrived.
    bool Progresses(size_t more, DWORD limitMs);
    ASIOError Start();
    // stop, with the time it took in ms.
    ASIOError Stop(DWORD& tookMs);
    // What the system sends the driver's window when the mixer's USB interface comes or goes.
    void AnnounceDevice(bool arrival);
    // A resume from sleep announced to the driver's window.
    void AnnounceResume();
    void Close();

    size_t switches() const { return host_.switches(); }
    long resetRequests() const { return host_.resetRequests(); }
    HWND window() const { return window_; }

private:
    asio::test::DriverModule module_;
    asio::test::TestHost host_;
    IASIO* driver_ = nullptr;
    HWND window_ = nullptr;
    bool running_ = false;
};

}  // namespace rkx::stress
