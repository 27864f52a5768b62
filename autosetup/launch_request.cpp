#include "autosetup/launch_request.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "common/device_discovery.h"
#include "common/mixer_requests.h"
#include "common/unique_handle.h"

namespace rkx::autosetup {
namespace {

enum class Answer { Yes, No, AskAgain };

// The service's own path rule: any "wave" reference of the mixer's first interface.
bool IsLaunchFilterPath(const wchar_t* path, bool hasRenderAlias)
{
    return hasRenderAlias && std::wcslen(path) < RKX_MAX_PATH_CHARS && std::wcsstr(path, RKX_PATH_DEVICE_TAG) &&
           std::wcsstr(path, RKX_PATH_ANY_WAVE_REFERENCE);
}

Answer AskOnce(const wchar_t* path)
{
    UniqueHandle device(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr));
    if (!device) return Answer::AskAgain;
    UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return Answer::AskAgain;
    OVERLAPPED overlapped{};
    overlapped.hEvent = done.get();
    uint8_t reply[RKX_LAUNCH_REPLY_BYTES] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(device.get(), IOCTL_MIXER_GET_LAUNCH_REQUEST, nullptr, 0, reply, sizeof(reply), &returned,
                         &overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING ||
            !GetOverlappedResult(device.get(), &overlapped, &returned, TRUE)) {
            return Answer::AskAgain;
        }
    }
    // A reply without its answer byte is no answer.
    if (returned < 1) return Answer::AskAgain;
    if (reply[0] == RKX_LAUNCH_YES) return Answer::Yes;
    if (reply[0] == RKX_LAUNCH_NO) return Answer::No;
    return Answer::AskAgain;
}

bool AskFilter(const wchar_t* path, bool hasRenderAlias, void* context)
{
    if (!IsLaunchFilterPath(path, hasRenderAlias)) return true;
    for (int attempt = 0; attempt < kLaunchAttemptsPerFilter; ++attempt) {
        const Answer answer = AskOnce(path);
        if (answer == Answer::Yes) {
            *static_cast<bool*>(context) = true;
            return false;
        }
        if (answer == Answer::No) return true;
        Sleep(kLaunchRetryDelayMs);
    }
    return true;
}

}  // namespace

bool QueryLaunchRequest()
{
    bool yes = false;
    EnumerateAudioFilterInterfaces(AskFilter, &yes);
    return yes;
}

}  // namespace rkx::autosetup
