#include "autosetup/launch_request.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <memory>

#include "common/device_discovery.h"
#include "common/mixer_requests.h"
#include "common/unique_handle.h"

namespace rkx::autosetup {
namespace {

enum class Answer { Yes, No, AskAgain, Stopped };

// One question in flight. It lives on the heap: when the driver keeps a cancelled request past
// the grace period, the record it will complete into is left to it instead of being freed.
struct PendingQuestion {
    OVERLAPPED overlapped{};
    uint8_t reply[RKX_LAUNCH_REPLY_BYTES] = {};
    UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The service's own path rule: any "wave" reference of the mixer's first interface.
bool IsLaunchFilterPath(const wchar_t* path, bool hasRenderAlias)
{
    return hasRenderAlias && std::wcslen(path) < RKX_MAX_PATH_CHARS && std::wcsstr(path, RKX_PATH_DEVICE_TAG) &&
           std::wcsstr(path, RKX_PATH_ANY_WAVE_REFERENCE);
}

// Waits for the question's completion, at most `timeoutMs` and never past `stop`. True when it
// completed.
bool WaitForAnswer(PendingQuestion& question, HANDLE stop, DWORD timeoutMs, bool& stopped)
{
    const HANDLE waits[2] = {question.done.get(), stop};
    const DWORD woke = WaitForMultipleObjects(stop != nullptr ? 2 : 1, waits, FALSE, timeoutMs);
    stopped = woke == WAIT_OBJECT_0 + 1;
    return woke == WAIT_OBJECT_0;
}

Answer AskOnce(const wchar_t* path, HANDLE stop)
{
    UniqueHandle device(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr));
    if (!device) return Answer::AskAgain;
    auto question = std::make_unique<PendingQuestion>();
    if (!question->done) return Answer::AskAgain;
    question->overlapped.hEvent = question->done.get();
    DWORD returned = 0;
    if (!DeviceIoControl(device.get(), IOCTL_MIXER_GET_LAUNCH_REQUEST, nullptr, 0, question->reply,
                         sizeof(question->reply), &returned, &question->overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING) return Answer::AskAgain;
        bool stopped = false;
        if (!WaitForAnswer(*question, stop, kLaunchAnswerTimeoutMs, stopped)) {
            // No answer in time: take the question back before its memory goes.
            CancelIoEx(device.get(), &question->overlapped);
            if (WaitForSingleObject(question->done.get(), kLaunchCancelGraceMs) != WAIT_OBJECT_0)
                static_cast<void>(question.release());
            return stopped ? Answer::Stopped : Answer::AskAgain;
        }
        if (!GetOverlappedResult(device.get(), &question->overlapped, &returned, FALSE)) return Answer::AskAgain;
    }
    // A reply without its answer byte is no answer.
    if (returned < 1) return Answer::AskAgain;
    if (question->reply[0] == RKX_LAUNCH_YES) return Answer::Yes;
    if (question->reply[0] == RKX_LAUNCH_NO) return Answer::No;
    return Answer::AskAgain;
}

// Waits `ms`; true when `stop` was raised meanwhile.
bool StoppedWhileWaiting(HANDLE stop, DWORD ms)
{
    if (stop == nullptr) {
        Sleep(ms);
        return false;
    }
    return WaitForSingleObject(stop, ms) == WAIT_OBJECT_0;
}

struct Walk {
    HANDLE stop;
    bool yes = false;
};

bool AskFilter(const wchar_t* path, bool hasRenderAlias, void* context)
{
    if (!IsLaunchFilterPath(path, hasRenderAlias)) return true;
    Walk& walk = *static_cast<Walk*>(context);
    for (int attempt = 0; attempt < kLaunchAttemptsPerFilter; ++attempt) {
        const Answer answer = AskOnce(path, walk.stop);
        if (answer == Answer::Yes) {
            walk.yes = true;
            return false;
        }
        if (answer == Answer::No) return true;
        if (answer == Answer::Stopped) return false;
        if (StoppedWhileWaiting(walk.stop, kLaunchRetryDelayMs)) return false;
    }
    return true;
}

}  // namespace

bool QueryLaunchRequest(HANDLE stop)
{
    Walk walk{stop};
    EnumerateAudioFilterInterfaces(AskFilter, &walk);
    return walk.yes;
}

}  // namespace rkx::autosetup
