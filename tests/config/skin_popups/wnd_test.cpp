// The window base class: binding from the first message, dispatch, the exception boundary,
// and an object deleted by its own handler.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "framework/wnd.h"

namespace {

constexpr wchar_t kProbeClass[] = L"SkinPopupWndProbe";
constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kDeleteSelf = WM_APP + 2;

class ProbeWindow : public CWnd {
public:
    std::vector<UINT> seen;
    std::unique_ptr<ProbeWindow>* selfOwner = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(message);
        switch (message) {
        case kThrow:
            throw std::runtime_error("handler failed");
        case kDeleteSelf:
            selfOwner->reset();  // nothing of this object may be touched from here on
            return 7;
        case WM_GETTEXTLENGTH:
            // wParam 1: a message sent from inside the handler first; Default() must still
            // answer the outer message.
            if (wParam == 1) SendMessageW(m_hWnd, WM_NULL, 0, 0);
            return Default();
        default:
            return CWnd::WindowProc(message, wParam, lParam);
        }
    }
};

bool RegisterProbeClass()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = CWnd::ClassWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kProbeClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

TEST(WindowBaseClass, BindsBeforeCreationEndsAndUnbindsWhenDestroyed)
{
    ASSERT_TRUE(RegisterProbeClass());
    ProbeWindow probe;
    ASSERT_TRUE(probe.CreateEx(0, kProbeClass, L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    ASSERT_NE(probe.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(probe.m_hWnd), &probe);
    ASSERT_FALSE(probe.seen.empty());
    EXPECT_EQ(probe.seen.front(), static_cast<UINT>(WM_NCCREATE));  // even the first message arrived
    EXPECT_EQ(SendMessageW(probe.m_hWnd, WM_GETTEXTLENGTH, 0, 0), 5);  // Default() answers it

    const HWND window = probe.m_hWnd;
    probe.DestroyWindow();
    EXPECT_EQ(probe.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CWnd::FromHandle(window), nullptr);
    EXPECT_FALSE(probe.CreateEx(0, L"NoSuchClassHere", L"x", WS_POPUP, 0, 0, 1, 1, nullptr, 0));
}

TEST(WindowBaseClass, AnExceptionStopsAtTheWindowProcedure)
{
    ASSERT_TRUE(RegisterProbeClass());
    ProbeWindow probe;
    ASSERT_TRUE(probe.CreateEx(0, kProbeClass, L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    EXPECT_EQ(SendMessageW(probe.m_hWnd, kThrow, 0, 0), 0);
    // The window goes on working.
    EXPECT_EQ(SendMessageW(probe.m_hWnd, WM_GETTEXTLENGTH, 0, 0), 5);
}

TEST(WindowBaseClass, AHandlerMayDeleteItsOwnObject)
{
    ASSERT_TRUE(RegisterProbeClass());
    auto probe = std::make_unique<ProbeWindow>();
    probe->selfOwner = &probe;
    ASSERT_TRUE(probe->CreateEx(0, kProbeClass, L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    const HWND window = probe->m_hWnd;
    EXPECT_EQ(SendMessageW(window, kDeleteSelf, 0, 0), 7);
    EXPECT_EQ(probe, nullptr);
    EXPECT_FALSE(IsWindow(window));  // the object's end took its window along
}

TEST(WindowBaseClass, DefaultAnswersTheOuterMessageAfterANestedOne)
{
    ASSERT_TRUE(RegisterProbeClass());
    ProbeWindow probe;
    ASSERT_TRUE(probe.CreateEx(0, kProbeClass, L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    EXPECT_EQ(SendMessageW(probe.m_hWnd, WM_GETTEXTLENGTH, 1, 0), 5);
    EXPECT_EQ(probe.seen.back(), static_cast<UINT>(WM_NULL));
}

}  // namespace
