// Change notifications: callbacks in this process and in another (rkxsetup, which numbers
// channels from 1), the notify flag, foreign messages and receivers that do not answer.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "setup/notifications.h"
#include "tests/setup/peer_process.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/wait.h"
#include "tests/support/window_thread.h"

namespace rkx::setup::test {
namespace {

struct Heard {
    std::vector<std::tuple<int, int, QVR_USER_VALUE>> input, output;
    std::vector<std::pair<int, QVR_USER_VALUE>> boost;
};
Heard g_heard;

int QVR_CALL OnInput(int channel, int index, QVR_USER_VALUE user)
{
    g_heard.input.emplace_back(channel, index, user);
    return 0;
}
int QVR_CALL OnOutput(int channel, int index, QVR_USER_VALUE user)
{
    g_heard.output.emplace_back(channel, index, user);
    return 0;
}
int QVR_CALL OnBoost(int value, QVR_USER_VALUE user)
{
    g_heard.boost.emplace_back(value, user);
    return 0;
}
int QVR_CALL Throws(int, int, QVR_USER_VALUE)
{
    throw L"callback failure";
}

class Notifications : public SetupTest {
protected:
    void SetUp() override
    {
        SetupTest::SetUp();
        g_heard = {};
        ASSERT_EQ(QVR_RegisterInputAudioChangedCallback(kProduct, OnInput, 0x1234), 100);
        ASSERT_EQ(QVR_RegisterOutputAudioChangedCallback(kProduct, OnOutput, 0x5678), 100);
        ASSERT_EQ(QVR_RegisterBoostLevelChangedCallback(kProduct, OnBoost, -1), 100);
    }
    void TearDown() override
    {
        QVR_UnregisterInputAudioChangedCallback(kProduct);
        QVR_UnregisterOutputAudioChangedCallback(kProduct);
        QVR_UnregisterBoostLevelChangedCallback(kProduct);
        SetupTest::TearDown();
    }
};

// This process's own notification window.
HWND OwnWindow()
{
    struct Search {
        HWND found = nullptr;
    } search;
    EnumWindows(
        [](HWND window, LPARAM context) CALLBACK -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t title[64] = {};
            GetWindowTextW(window, title, 64);
            if (process == GetCurrentProcessId() && wcscmp(title, L"RKX-T2SetupDllWin") == 0) {
                reinterpret_cast<Search*>(context)->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(Notifications, SetterCallsOwnCallbackBeforeReturning)
{
    ASSERT_EQ(QVR_SetUSBInputAudio(kProduct, 1, 5), 100);
    ASSERT_EQ(g_heard.input.size(), 1u);
    EXPECT_EQ(g_heard.input[0], std::make_tuple(1, 5, QVR_USER_VALUE{0x1234}));
    ASSERT_EQ(QVR_SetUSBOutputAudio(kProduct, 2, 1), 100);
    ASSERT_EQ(g_heard.output.size(), 1u);
    EXPECT_EQ(g_heard.output[0], std::make_tuple(2, 1, QVR_USER_VALUE{0x5678}));
    ASSERT_EQ(QVR_SetBoostLevelIndex(kProduct, 2), 100);
    ASSERT_EQ(g_heard.boost.size(), 1u);
    EXPECT_EQ(g_heard.boost[0], std::make_pair(2, QVR_USER_VALUE{-1}));
}

TEST_F(Notifications, NotifyFlagZeroAndRefusedCallsReachNobody)
{
    EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, 0, 3, nullptr, 0), 100);
    EXPECT_EQ(QVR_SetUSBOutputAudio2(kProduct, 0, 1, nullptr, 0), 100);
    EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 1, nullptr, 0), 100);
    EXPECT_EQ(QVR_SetBoostLevelIndex(kProduct, 4), 102);
    EXPECT_EQ(QVR_SetUSBOutputAudioDefault(kProduct, 0), 100);
    EXPECT_EQ(QVR_SetUSBInputAudioDirect(kProduct, 0, 0, 3), 100);
    EXPECT_TRUE(g_heard.input.empty());
    EXPECT_TRUE(g_heard.output.empty());
    EXPECT_TRUE(g_heard.boost.empty());
}

TEST_F(Notifications, WindowProcedureDecodesOnlyOurProductsMessages)
{
    const HWND window = OwnWindow();
    ASSERT_NE(window, nullptr);
    const struct {
        UINT message;
        LPARAM lParam;
        size_t input, output, boost;
    } kCases[] = {
        {WM_USER + 100, 0xB0000 + 2 * 256 + 7, 1, 0, 0},
        {WM_USER + 100, 0xC0000 + 2 * 256 + 7, 0, 0, 0},  // another product: default procedure
        {WM_USER + 101, 0xB0000 + 0x0102, 0, 1, 0},
        {WM_USER + 102, 0xB0000 + 0x0103, 0, 0, 1},
        {WM_USER + 102, 0xA0003, 0, 0, 0},
        {WM_USER + 103, 0xB0001, 0, 0, 0},
        {WM_USER + 104, 0xB0001, 0, 0, 0},
        {WM_USER + 105, 0xB0001, 0, 0, 0},
    };
    for (const auto& c : kCases) {
        g_heard = {};
        EXPECT_EQ(SendMessageW(window, c.message, 0, c.lParam), 0) << (&c - kCases);
        EXPECT_EQ(g_heard.input.size(), c.input) << (&c - kCases);
        EXPECT_EQ(g_heard.output.size(), c.output) << (&c - kCases);
        EXPECT_EQ(g_heard.boost.size(), c.boost) << (&c - kCases);
    }
    g_heard = {};
    SendMessageW(window, WM_USER + 100, 0, 0xB0000 + 2 * 256 + 7);
    EXPECT_EQ(g_heard.input[0], std::make_tuple(2, 7, QVR_USER_VALUE{0x1234}));
    SendMessageW(window, WM_USER + 102, 0, 0xB0000 + 0x0103);
    EXPECT_EQ(g_heard.boost[0].first, 0x0103);  // the whole low half is the value
}

TEST_F(Notifications, ThrowingCallbackDoesNotBreakTheSetter)
{
    ASSERT_EQ(QVR_RegisterInputAudioChangedCallback(kProduct, Throws, 0), 100);
    EXPECT_EQ(QVR_SetUSBInputAudio(kProduct, 0, 2), 100);
    EXPECT_EQ(StoredDword(L"Output1"), 2u);
}

TEST_F(Notifications, RegistrationNeedsOurProductAndNullMeansNone)
{
    EXPECT_EQ(QVR_RegisterInputAudioChangedCallback(12, OnInput, 0), 102);
    EXPECT_EQ(QVR_RegisterInputAudioChangedCallback(kProduct, nullptr, 0), 100);
    EXPECT_EQ(QVR_SetUSBInputAudio(kProduct, 0, 2), 100);
    EXPECT_TRUE(g_heard.input.empty());
}

// A foreign window with the same title on a thread of its own. With `quietMs` it first waits
// that long for messages that do not come, then is busy for `busyMs` (busy() turns true)
// before it answers.
class TitledWindow {
public:
    explicit TitledWindow(bool answers, DWORD quietMs = 0, DWORD busyMs = 0)
        : answers_(answers), quietMs_(quietMs), busyMs_(busyMs)
    {}
    ~TitledWindow()
    {
        release_.store(true);
        thread_.Stop();
    }
    std::vector<std::pair<UINT, LPARAM>> heard;
    bool busy() const { return busy_.load(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<TitledWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message >= WM_USER + 100 && message <= WM_USER + 104) self->heard.emplace_back(message, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    void Serve()
    {
        if (quietMs_ > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, quietMs_, QS_ALLINPUT);
            busy_.store(true);
            Sleep(busyMs_);
        }
        if (answers_) {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        } else {
            // Hung: never looks at its queue until released.
            while (!release_.load()) Sleep(20);
        }
    }

    bool answers_;
    DWORD quietMs_;
    DWORD busyMs_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> release_{false};
    rkx::test::WindowThread thread_{L"RkxTitledTestWindow", L"RKX-T2SetupDllWin", Procedure, this,
                                    [this](HWND) { Serve(); }};
};

TEST_F(Notifications, AnyWindowWithTheTitleReceivesTheMessages)
{
    TitledWindow other(true);
    ASSERT_EQ(QVR_SetBoostLevelIndex(kProduct, 2), 100);
    ASSERT_EQ(QVR_SetUSBInputAudio(kProduct, 1, 5), 100);
    ASSERT_EQ(other.heard.size(), 2u);
    EXPECT_EQ(other.heard[0], std::make_pair(UINT{WM_USER + 102}, LPARAM{0xB0002}));
    EXPECT_EQ(other.heard[1], std::make_pair(UINT{WM_USER + 100}, LPARAM{0xB0105}));
}

TEST_F(Notifications, HungReceiverIsSkippedAndTheOthersAreStillTold)
{
    TitledWindow hung(false);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(QVR_SetBoostLevelIndex(kProduct, 1), 100);
    // Wide bound: only a setter stuck on the hung window would exceed it.
    EXPECT_LT(GetTickCount64() - start, 60000u);
    ASSERT_EQ(g_heard.boost.size(), 1u);
    EXPECT_EQ(StoredDword(L"Level"), 1u);
}

// A program that took no messages for a while and is now busy for a moment is not hung: the
// system may call it so, yet it answers well within the limit and must be told.
TEST_F(Notifications, ReceiverBusyAfterAQuietSpellIsStillTold)
{
    TitledWindow receiver(true, 6000, 1500);  // quiet past the system's 5 s judgement
    while (!receiver.busy()) Sleep(10);
    EXPECT_EQ(QVR_SetBoostLevelIndex(kProduct, 2), 100);
    ASSERT_EQ(receiver.heard.size(), 1u);
    EXPECT_EQ(receiver.heard[0], std::make_pair(UINT{WM_USER + 102}, LPARAM{0xB0002}));
}

TEST_F(Notifications, SetterInThisProcessCallsTheCallbackOfAnother)
{
    PeerProcess watcher(L"watch");
    ASSERT_TRUE(watcher.Started());
    ASSERT_EQ(watcher.ReadLine(), "watching for changes");
    ASSERT_EQ(QVR_SetUSBInputAudio(kProduct, 1, 5), 100);
    EXPECT_EQ(watcher.ReadLine(), "input audio changed: channel 2 index 5");
    ASSERT_EQ(QVR_SetUSBOutputAudio(kProduct, 2, 0), 100);
    EXPECT_EQ(watcher.ReadLine(), "output audio changed: channel 3 index 0");
    ASSERT_EQ(QVR_SetBoostLevelIndex(kProduct, 3), 100);
    EXPECT_EQ(watcher.ReadLine(), "boost level changed: index 3");
}

TEST_F(Notifications, NotifyFlagZeroIsNotSeenByTheOtherProcess)
{
    PeerProcess watcher(L"watch");
    ASSERT_TRUE(watcher.Started());
    ASSERT_EQ(watcher.ReadLine(), "watching for changes");
    ASSERT_EQ(QVR_SetUSBInputAudio2(kProduct, 0, 6, nullptr, 0), 100);
    ASSERT_EQ(QVR_SetBoostLevelIndex2(kProduct, 0, nullptr, 0), 100);
    // A marker change: the next line the watcher prints must be this one.
    ASSERT_EQ(QVR_SetUSBOutputAudio2(kProduct, 1, 2, nullptr, 1), 100);
    EXPECT_EQ(watcher.ReadLine(), "output audio changed: channel 2 index 2");
}

TEST_F(Notifications, UnregisteringStopsOnlyThisProcess)
{
    PeerProcess watcher(L"watch");
    ASSERT_TRUE(watcher.Started());
    ASSERT_EQ(watcher.ReadLine(), "watching for changes");
    ASSERT_EQ(QVR_UnregisterInputAudioChangedCallback(kProduct), 100);
    ASSERT_EQ(QVR_SetUSBInputAudio(kProduct, 2, 4), 100);
    EXPECT_TRUE(g_heard.input.empty());
    EXPECT_EQ(watcher.ReadLine(), "input audio changed: channel 3 index 4");
}

TEST_F(Notifications, ChangeMadeByTheToolReachesThisProcess)
{
    // The tool's announcement is handled while this thread retrieves messages.
    PeerProcess tool(L"set boost \"-15 dB\"");
    ASSERT_TRUE(tool.Started());
    rkx::test::PumpUntil([] { return !g_heard.boost.empty(); }, 60000);
    EXPECT_EQ(tool.Wait(), 0);
    ASSERT_EQ(g_heard.boost.size(), 1u);
    EXPECT_EQ(g_heard.boost[0], std::make_pair(2, QVR_USER_VALUE{-1}));
}

}  // namespace
}  // namespace rkx::setup::test
