#include "tests/support/utility_session.h"

#include "app/ui_language.h"
#include "app/ui_strings.h"
#include "dialog/tab_strip.h"
#include "tests/support/processes.h"
#include "tests/support/screen_capture.h"

#include <vector>

namespace rkx::test {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Korvane\\RKX-T2";

struct TitleSearch {
    DWORD processId;  // 0: any
    const std::wstring* title;
    HWND found;
    int count;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<TitleSearch*>(context);
    wchar_t text[256];
    if (GetWindowTextW(window, text, 256) <= 0 || *search->title != text) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId != 0 && owner != search->processId) return TRUE;
    if (!IsWindowVisible(window)) return TRUE;
    search->found = window;
    ++search->count;
    return TRUE;
}

}  // namespace

int RunVmixctl(const std::wstring& arguments) { return RunProgram(OwnFolder() + L"vmixctl.exe", arguments); }

std::wstring ExpectedTitle()
{
    const std::wstring program = OwnFolder() + L"RKX-T2_Config.exe";
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return {};
    const DWORD language = ReadInstallLanguage().value_or(config::kDefaultInstallLanguage);
    std::wstring title = config::LoadStringOfLanguage(module, config::StringTableLanguage(language, 252), 252);
    FreeLibrary(module);
    const size_t at = title.find(L"%s");
    if (at != std::wstring::npos) title.replace(at, 2, L"RKX-T2");
    return title;
}

int CountWindowsTitled(const std::wstring& title)
{
    TitleSearch search{0, &title, nullptr, 0};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

HWND FindWindowOfProcess(DWORD processId, const std::wstring& title)
{
    TitleSearch search{processId, &title, nullptr, 0};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Utility::~Utility()
{
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        if (!Close()) TerminateProcess(process_.get(), 1);
    }
}

rkx::UniqueHandle Utility::Launch(const std::wstring& arguments)
{
    return StartProgram(OwnFolder() + L"RKX-T2_Config.exe", arguments, nullptr);
}

bool Utility::Start(const std::wstring& arguments)
{
    process_ = StartProgram(OwnFolder() + L"RKX-T2_Config.exe", arguments, &processId_);
    if (!process_) return false;
    const std::wstring title = ExpectedTitle();
    // Visible with its title and painted at least once (the tab strip can be read).
    return WaitUntil([&] {
        window_ = FindWindowOfProcess(processId_, title);
        return window_ != nullptr && CurrentTab() >= 0;
    });
}

bool Utility::Close()
{
    if (!process_) return true;
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(process_.get(), 15000) == WAIT_OBJECT_0;
    if (ended) {
        process_.reset();
        window_ = nullptr;
    }
    return ended;
}

POINT Utility::Screen(int x, int y) const
{
    POINT point{x, y};
    ClientToScreen(window_, &point);
    return point;
}

void Utility::Click(int x, int y) const
{
    // Every event carries its position, and the press waits until the pointer is there: a
    // pointer warp that the display reports late must not move a press elsewhere.
    const POINT point = Screen(x, y);
    SendMouseAt(point, 0);
    WaitUntil([&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == point.x && now.y == point.y;
    }, 2000);
    SendMouseAt(point, MOUSEEVENTF_LEFTDOWN);
    SendMouseAt(point, MOUSEEVENTF_LEFTUP);
}

void SendMouseAt(POINT screen, DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void Utility::PressKey(WORD virtualKey) const
{
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

int Utility::CurrentTab() const { return window_ == nullptr ? -1 : TabShownIn(window_); }

int TabShownIn(HWND window)
{
    // The rows of each tab's middle piece above and below its label (text never reaches them):
    // the current tab's rows differ from the three others, which are alike.
    const Capture strip = CaptureClient(window, 0, config::kTabStripTop, config::kTabRightEndX, config::kTabPieceHeight);
    if (strip.width == 0) return -1;
    std::vector<uint32_t> columns[config::kTabCount];
    for (int tab = 0; tab < config::kTabCount; ++tab)
        for (int y : {0, 1, 2, 3, 21, 22, 23, 24, 25})
            for (int x = 3; x < config::kTabMiddleWidth - 3; ++x)
                columns[tab].push_back(strip.at(config::TabMiddleX(tab) + x, y));
    for (int tab = 0; tab < config::kTabCount; ++tab) {
        int alike = 0, different = 0;
        for (int other = 0; other < config::kTabCount; ++other) {
            if (other == tab) continue;
            columns[other] == columns[tab] ? ++alike : ++different;
        }
        if (different == 3) {
            const int a = (tab + 1) % 4, b = (tab + 2) % 4, c = (tab + 3) % 4;
            if (columns[a] == columns[b] && columns[b] == columns[c]) return tab;
        }
    }
    return -1;
}

std::optional<DWORD> ReadUserValue(const wchar_t* name)
{
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteUserValue(const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof value);
}

void DeleteUserValue(const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

std::optional<DWORD> ReadInstallLanguage()
{
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallLanguage", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteInstallLanguage(DWORD language)
{
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSettingsKey, L"InstallLanguage", REG_DWORD, &language, sizeof language);
}

}  // namespace rkx::test
