// Tests of the driver object against the virtual mixer: the rig is reset around each test
// and the driver module is loaded from the tests' folder.
#pragma once

#include "../virtualmixer/rig_fixture.h"
#include "driver_module.h"
#include "test_host.h"

namespace rkx::asio::test {

class DriverTest : public vmix::test::RigTest {
protected:
    void SetUp() override
    {
        RigTest::SetUp();
        ASSERT_TRUE(module.loaded()) << "cannot load " << kDriverFile;
    }
    // Streaming mutex of this build is present.
    static bool StreamingMutexExists()
    {
        HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, rkx::test::kAsioStreamingMutex);
        if (mutex == nullptr) return false;
        CloseHandle(mutex);
        return true;
    }
    static HWND DriverWindow() { return FindWindowA("RKX_T2_Asio_WndProc", nullptr); }
    // Keeps this thread's messages moving (the driver's window and its timers live here).
    static void DispatchMessagesFor(DWORD ms)
    {
        const DWORD begin = GetTickCount();
        do {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            Sleep(5);
        } while (GetTickCount() - begin < ms);
    }

    DriverModule module;
};

}  // namespace rkx::asio::test
