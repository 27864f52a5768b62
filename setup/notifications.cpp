#include "setup/notifications.h"

#include <cwchar>
#include <utility>

namespace rkx::setup {
namespace {

// Tables indexed by product identifier; this library uses entry 11 only.
constexpr size_t kProducts = 12;
constexpr size_t kOurs = 11;

// A slot's callback and user value change together: both are read and written only under
// the dispatch lock, and a callback runs while the lock is held.
struct AudioSlot {
    QVR_AudioChangedCallback callback = nullptr;
    QVR_USER_VALUE user = 0;
};
struct ValueSlot {
    QVR_ValueChangedCallback callback = nullptr;
    QVR_USER_VALUE user = 0;
};

// Held while a slot is read or changed and while its callback runs, so that a registration
// from another thread never pairs one callback with another's user value, and once a call
// to unregister returns no call of the old callback is running or about to start. A critical
// section may be entered again by its owner: a callback may register and unregister.
class DispatchLock {
public:
    DispatchLock() { InitializeCriticalSection(&section_); }
    ~DispatchLock() { DeleteCriticalSection(&section_); }
    DispatchLock(const DispatchLock&) = delete;
    DispatchLock& operator=(const DispatchLock&) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class Held {
public:
    explicit Held(DispatchLock& lock) : lock_(lock) { lock_.lock(); }
    ~Held() { lock_.unlock(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    DispatchLock& lock_;
};

DispatchLock g_dispatch;
AudioSlot g_input[kProducts];
AudioSlot g_output[kProducts];
ValueSlot g_boost[kProducts];
HWND g_window = nullptr;        // owned by the thread that loaded the library
DWORD g_windowThread = 0;
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
    Held held(g_dispatch);
    if (message == kInputAudioChanged || message == kOutputAudioChanged) {
        const AudioSlot& slot = SlotOf(message == kInputAudioChanged ? AudioKind::Input : AudioKind::Output);
        if (slot.callback != nullptr) Guarded([&] { slot.callback(channel, index, slot.user); });
    } else if (message == kBoostLevelChanged) {
        const ValueSlot& slot = g_boost[kOurs];
        if (slot.callback != nullptr) Guarded([&] { slot.callback(static_cast<int>(lParam & 0xFFFF), slot.user); });
    }
    return 0;
}

void StartNotificationWindow(HINSTANCE module)
{
    // The class points at the system's default procedure, never into this module: a class
    // that outlives an unload (its window could not be destroyed) then calls nothing stale.
    // Our procedure is set on the window itself.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kNotifyWindowName;
    // A class left by an earlier load on another thread may still exist; it is unregistered
    // with ours at unload.
    if (RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) g_classModule = module;
    g_window = CreateWindowExW(0, kNotifyWindowName, kNotifyWindowName, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, module, nullptr);
    if (g_window == nullptr) return;
    g_windowThread = GetCurrentThreadId();
    SetWindowLongPtrW(g_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NotifyWindowProc));
}

void StopNotificationWindow(bool processEnding)
{
    // At process end the window goes with its thread; destroying it then is not allowed.
    if (processEnding) {
        g_window = nullptr;
        g_classModule = nullptr;
        return;
    }
    if (g_window != nullptr) {
        if (g_windowThread == GetCurrentThreadId()) {
            DestroyWindow(g_window);
        } else if (IsWindow(g_window)) {
            // Unloaded on another thread: only the owning thread may destroy the window. It
            // stops calling into this module at once and closes itself at that thread's next
            // message retrieval. Nothing here waits for that thread.
            SetWindowLongPtrW(g_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
            PostMessageW(g_window, WM_CLOSE, 0, 0);
        }
    }
    g_window = nullptr;
    g_windowThread = 0;
    // A later load may then register the class afresh. While a window of the class still
    // exists this fails, which is harmless: the class calls the default procedure.
    if (g_classModule != nullptr) UnregisterClassW(kNotifyWindowName, g_classModule);
    g_classModule = nullptr;
}

void AnnounceChange(UINT message, LPARAM lParam)
{
    std::pair<UINT, LPARAM> context{message, lParam};
    EnumWindows(AnnounceToWindow, reinterpret_cast<LPARAM>(&context));
}

void SetAudioCallback(AudioKind kind, QVR_AudioChangedCallback callback, QVR_USER_VALUE user)
{
    Held held(g_dispatch);
    AudioSlot& slot = SlotOf(kind);
    slot.callback = callback;
    slot.user = user;
}

void ClearAudioCallback(AudioKind kind)
{
    Held held(g_dispatch);
    SlotOf(kind).callback = nullptr;
}

void SetBoostCallback(QVR_ValueChangedCallback callback, QVR_USER_VALUE user)
{
    Held held(g_dispatch);
    g_boost[kOurs].callback = callback;
    g_boost[kOurs].user = user;
}

void ClearBoostCallback()
{
    Held held(g_dispatch);
    g_boost[kOurs].callback = nullptr;
}

}  // namespace rkx::setup
