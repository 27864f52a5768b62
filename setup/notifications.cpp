#include "setup/notifications.h"

#include <atomic>
#include <cwchar>
#include <utility>

namespace rkx::setup {
namespace {

// Tables indexed by product identifier; this library uses entry 11 only.
constexpr size_t kProducts = 12;
constexpr size_t kOurs = 11;

struct AudioSlot {
    std::atomic<QVR_AudioChangedCallback> callback{nullptr};
    std::atomic<QVR_USER_VALUE> user{0};
};
struct ValueSlot {
    std::atomic<QVR_ValueChangedCallback> callback{nullptr};
    std::atomic<QVR_USER_VALUE> user{0};
};

AudioSlot g_input[kProducts];
AudioSlot g_output[kProducts];
ValueSlot g_boost[kProducts];
HWND g_window = nullptr;  // owned by the thread that loaded the library
HINSTANCE g_classModule = nullptr;

AudioSlot& SlotOf(AudioKind kind) { return kind == AudioKind::Input ? g_input[kOurs] : g_output[kOurs]; }

// A callback's failure must not end the notification; this is the window procedure's edge.
template <class Call>
void Guarded(Call call) noexcept
{
    try {
        call();
    } catch (const wchar_t*) {
    } catch (...) {
    }
}

LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return HandleNotifyMessage(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

BOOL CALLBACK AnnounceToWindow(HWND window, LPARAM context)
{
    wchar_t title[255] = {};
    // InternalGetWindowText never sends WM_GETTEXT, so a hung window of this very process
    // cannot stall the walk before the time limit applies.
    if (InternalGetWindowText(window, title, 255) <= 0) return TRUE;
    if (std::wcscmp(title, kNotifyWindowName) != 0) return TRUE;
    const auto* message = reinterpret_cast<const std::pair<UINT, LPARAM>*>(context);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, message->first, 0, message->second, SMTO_NORMAL, kAnnounceTimeoutMs, &ignored);
    return TRUE;
}

}  // namespace

LRESULT HandleNotifyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool ours = message >= kInputAudioChanged && message <= kMidiKeyModeChanged;
    if (!ours || (static_cast<uint64_t>(lParam) >> 16) != kOurs) return DefWindowProcW(window, message, wParam, lParam);
    const int channel = static_cast<int>((lParam >> 8) & 0xFF);
    const int index = static_cast<int>(lParam & 0xFF);
    if (message == kInputAudioChanged || message == kOutputAudioChanged) {
        AudioSlot& slot = SlotOf(message == kInputAudioChanged ? AudioKind::Input : AudioKind::Output);
        if (auto callback = slot.callback.load()) Guarded([&] { callback(channel, index, slot.user.load()); });
    } else if (message == kBoostLevelChanged) {
        ValueSlot& slot = g_boost[kOurs];
        if (auto callback = slot.callback.load())
            Guarded([&] { callback(static_cast<int>(lParam & 0xFFFF), slot.user.load()); });
    }
    return 0;
}

void StartNotificationWindow(HINSTANCE module)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = NotifyWindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kNotifyWindowName;
    if (RegisterClassW(&windowClass) != 0) g_classModule = module;  // a failure leaves the window uncreated
    g_window = CreateWindowExW(0, kNotifyWindowName, kNotifyWindowName, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, module, nullptr);
}

void StopNotificationWindow(bool processEnding)
{
    // At process end the window goes with its thread; destroying it then is not allowed.
    if (!processEnding && g_window != nullptr) DestroyWindow(g_window);
    g_window = nullptr;
    // A class left behind would keep pointing into this module after it is unloaded, and a
    // later load at another address would create its window with that stale procedure.
    if (!processEnding && g_classModule != nullptr) UnregisterClassW(kNotifyWindowName, g_classModule);
    g_classModule = nullptr;
}

void AnnounceChange(UINT message, LPARAM lParam)
{
    std::pair<UINT, LPARAM> context{message, lParam};
    EnumWindows(AnnounceToWindow, reinterpret_cast<LPARAM>(&context));
}

void SetAudioCallback(AudioKind kind, QVR_AudioChangedCallback callback, QVR_USER_VALUE user)
{
    AudioSlot& slot = SlotOf(kind);
    slot.user.store(user);
    slot.callback.store(callback);
}

void ClearAudioCallback(AudioKind kind) { SlotOf(kind).callback.store(nullptr); }

void SetBoostCallback(QVR_ValueChangedCallback callback, QVR_USER_VALUE user)
{
    g_boost[kOurs].user.store(user);
    g_boost[kOurs].callback.store(callback);
}

void ClearBoostCallback() { g_boost[kOurs].callback.store(nullptr); }

}  // namespace rkx::setup
