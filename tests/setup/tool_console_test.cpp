// rkxsetup writing to a console: its text arrives as the characters it is, whatever the
// console's code page, so a warning in any language reads right on a user's screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "tests/setup/peer_process.h"
#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

// A console of this process for the test's life, with a screen buffer a child can write to.
class Console {
public:
    Console()
    {
        // Whatever this process was given (Wine may attach it to its terminal) makes way for
        // a console of its own.
        FreeConsole();
        if (!AllocConsole()) return;
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        screen_.reset(CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                &inherit, CONSOLE_TEXTMODE_BUFFER, nullptr));
        previousCodePage_ = GetConsoleOutputCP();
    }
    ~Console()
    {
        if (previousCodePage_ != 0) SetConsoleOutputCP(previousCodePage_);
        screen_.reset();
        FreeConsole();
    }
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    HANDLE screen() const { return screen_.get(); }
    // The characters of the first `rows` rows, each row without its trailing blanks.
    std::wstring Text(SHORT rows) const
    {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (!GetConsoleScreenBufferInfo(screen_.get(), &info)) return {};
        std::wstring text;
        for (SHORT row = 0; row < rows && row < info.dwSize.Y; ++row) {
            std::vector<wchar_t> cells(static_cast<size_t>(info.dwSize.X));
            DWORD read = 0;
            ReadConsoleOutputCharacterW(screen_.get(), cells.data(), info.dwSize.X, COORD{0, row}, &read);
            std::wstring line(cells.data(), read);
            line.erase(line.find_last_not_of(L' ') + 1);
            text += line + L"\n";
        }
        return text;
    }

private:
    UniqueHandle screen_;
    UINT previousCodePage_ = 0;
};

using ToolOnAConsole = SetupTest;

// The installation's language for the test's life; the earlier one comes back at its end.
class InstallLanguageSet {
public:
    explicit InstallLanguageSet(DWORD language)
    {
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsPath, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                            &key_, nullptr) != ERROR_SUCCESS)
            return;
        DWORD bytes = sizeof previous_;
        hadValue_ = RegQueryValueExW(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&previous_), &bytes) ==
                    ERROR_SUCCESS;
        set_ = RegSetValueExW(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&language), sizeof language) ==
               ERROR_SUCCESS;
    }
    ~InstallLanguageSet()
    {
        if (key_ == nullptr) return;
        if (hadValue_)
            RegSetValueExW(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_), sizeof previous_);
        else
            RegDeleteValueW(key_, kValue);
        RegCloseKey(key_);
    }
    InstallLanguageSet(const InstallLanguageSet&) = delete;
    InstallLanguageSet& operator=(const InstallLanguageSet&) = delete;
    bool set() const { return set_; }

private:
    static constexpr wchar_t kValue[] = L"InstallLanguage";
    HKEY key_ = nullptr;
    DWORD previous_ = 0;
    bool hadValue_ = false;
    bool set_ = false;
};

TEST_F(ToolOnAConsole, AGermanWarningReadsRightWhateverTheCodePage)
{
    const InstallLanguageSet german(1031);  // the installation's language picks the warning's
    ASSERT_TRUE(german.set());
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, 1));  // CH1 off USB: choosing its control tone warns

    Console console;
    ASSERT_NE(console.screen(), nullptr) << "no console, error " << GetLastError();
    // A Western code page: bytes of UTF-8 would show as other characters in it.
    ASSERT_TRUE(SetConsoleOutputCP(850));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = console.screen();
    startup.hStdError = console.screen();
    std::wstring commandLine = L"\"" + ToolPath() + L"\" set input 1 \"CH1 Control Tone LINE\"";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
    UniqueHandle process(info.hProcess);
    CloseHandle(info.hThread);
    ASSERT_EQ(WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);

    const std::wstring shown = console.Text(8);
    EXPECT_NE(shown.find(L"set input 1 to 1  CH1 Control Tone LINE"), std::wstring::npos) << Narrow(shown.c_str());
    EXPECT_NE(shown.find(L"warning: Wenn Control Tone ausgew\u00e4hlt ist, w\u00e4hlen Sie \u201eUSB\u201c"),
              std::wstring::npos)
        << Narrow(shown.c_str());
}

}  // namespace
}  // namespace rkx::setup::test
