#include "setup/mixer_access.h"

#include "setup/control_exchange.h"
#include "setup/mixer_paths.h"

namespace rkx::setup {

bool SendChangeToAll(DWORD code, const void* in, DWORD inBytes)
{
    const auto paths = CollectMixerPaths();
    for (size_t i = 0; i < paths->count; ++i) {
        if (!ExchangeControl(paths->path[i], code, in, inBytes, nullptr, 0)) return false;
    }
    return true;
}

bool QueryAll(DWORD code, uint8_t* reply, DWORD replyBytes)
{
    const auto paths = CollectMixerPaths();
    if (paths->count == 0) return false;
    for (size_t i = 0; i < paths->count; ++i) {
        if (!ExchangeControl(paths->path[i], code, nullptr, 0, reply, replyBytes)) return false;
    }
    return true;
}

}  // namespace rkx::setup
