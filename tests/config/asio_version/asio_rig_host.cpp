#include "asio_rig_host.h"

#include "driver_module.h"

#include <objbase.h>

namespace page_test {
namespace {

constexpr unsigned kFirstSwitchesLimitMs = 20000;

}  // namespace

RigHost::RigHost()
{
    const HRESULT started = CoInitialize(nullptr);
    comStarted_ = started == S_OK || started == S_FALSE;
}

RigHost::~RigHost()
{
    Stop();
    if (comStarted_) CoUninitialize();
}

bool RigHost::Start()
{
    Stop();
    using rkx::asio::test::kDriverClassId;
    void* object = nullptr;
    if (FAILED(CoCreateInstance(kDriverClassId, nullptr, CLSCTX_INPROC_SERVER, kDriverClassId, &object)) ||
        object == nullptr) {
        error_ = "the installed driver cannot be created";
        return false;
    }
    driver_ = static_cast<IASIO*>(object);
    long minimum = 0, maximum = 0, granularity = 0;
    if (driver_->init(nullptr) != ASIOTrue ||
        driver_->getBufferSize(&minimum, &maximum, &frames_, &granularity) != ASE_OK) {
        error_ = "init or getBufferSize failed";
        return false;
    }
    host_ = std::make_unique<rkx::asio::test::TestHost>();
    if (host_->Create(driver_, {{false, 0}, {true, 0}}, frames_) != ASE_OK || driver_->start() != ASE_OK) {
        error_ = "createBuffers or start failed at " + std::to_string(frames_) + " frames";
        return false;
    }
    if (!host_->WaitForSwitches(8, kFirstSwitchesLimitMs)) {
        error_ = "no buffer switches at " + std::to_string(frames_) + " frames";
        return false;
    }
    return true;
}

void RigHost::Stop()
{
    if (driver_ == nullptr) return;
    driver_->stop();
    driver_->disposeBuffers();
    driver_->Release();
    driver_ = nullptr;
}

}  // namespace page_test
