#include "tests/stress/streaming_session.h"

#include <dbt.h>

#include <cstring>

#include "tests/stress/process_tools.h"
#include "tests/support/device_interface_record.h"
#include "virtualmixer/client/device_change_broadcast.h"

namespace rkx::stress {

StreamingSession::~StreamingSession() { Close(); }

std::string StreamingSession::Open(long frames)
{
    if (!module_.loaded()) return "the driver module does not load";
    driver_ = module_.CreateDriver();
    if (driver_ == nullptr) return "no driver object";
    if (driver_->init(nullptr) != ASIOTrue) return "init failed";
    if (host_.Create(driver_, {{false, 0}, {false, 1}, {true, 0}}, frames) != ASE_OK) return "createBuffers failed";
    if (driver_->start() != ASE_OK) return "start failed";
    running_ = true;
    window_ = FindWindowA("RKX_T2_Asio_WndProc", nullptr);
    if (window_ == nullptr) return "no driver window";
    if (!Progresses(8, 30000)) return "no buffer switches";
    return {};
}

bool StreamingSession::Progresses(size_t more, DWORD limitMs)
{
    const size_t target = host_.switches() + more;
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    while (host_.switches() < target) {
        if (GetTickCount64() > deadline) return false;
        PumpMessagesFor(10);
    }
    return true;
}

ASIOError StreamingSession::Start()
{
    const ASIOError result = driver_->start();
    running_ = result == ASE_OK;
    return result;
}

ASIOError StreamingSession::Stop(DWORD& tookMs)
{
    const ULONGLONG before = GetTickCount64();
    const ASIOError result = driver_->stop();
    tookMs = DWORD(GetTickCount64() - before);
    running_ = false;
    return result;
}

void StreamingSession::AnnounceDevice(bool arrival)
{
    const std::wstring name = vmix::MixerUsbDeviceName(0);
    const rkx::test::DeviceInterfaceRecord record(name);
    SendMessageW(window_, WM_DEVICECHANGE, rkx::test::DeviceChangeEvent(arrival), record.lParam());
}

void StreamingSession::AnnounceResume()
{
    SendMessageW(window_, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
}

void StreamingSession::Close()
{
    if (driver_ == nullptr) return;
    DWORD ignored = 0;
    if (running_) Stop(ignored);
    driver_->disposeBuffers();
    driver_->Release();
    driver_ = nullptr;
}

}  // namespace rkx::stress
