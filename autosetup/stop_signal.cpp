#include "autosetup/stop_signal.h"

#include "common/unique_handle.h"

namespace rkx::autosetup {

HANDLE StopSignal()
{
    static const UniqueHandle signal(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return signal.get();
}

void RaiseStopSignal()
{
    if (HANDLE signal = StopSignal()) SetEvent(signal);
}

}  // namespace rkx::autosetup
