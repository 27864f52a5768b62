#include "tests/support/processes.h"

#include <tlhelp32.h>

#include <cwchar>

#include "common/unique_handle.h"
#include "tests/support/wait.h"

namespace rkx::test {

bool ForEachProcessNamed(const wchar_t* executable, const std::function<void(DWORD processId)>& visit)
{
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (_wcsicmp(entry.szExeFile, executable) == 0) visit(entry.th32ProcessID);
    return true;
}

int CountProcessesNamed(const wchar_t* executable)
{
    int count = 0;
    return ForEachProcessNamed(executable, [&](DWORD) { ++count; }) ? count : -1;
}

UniqueHandle StartProgram(const std::wstring& program, const std::wstring& arguments, DWORD* processId)
{
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return {};
    CloseHandle(info.hThread);
    if (processId) *processId = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}

int RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD limitMs, bool pumping)
{
    UniqueHandle process = StartProgram(program, arguments);
    if (!process) return -1;
    const bool ended = pumping ? WaitPumping(process.get(), limitMs)
                               : WaitForSingleObject(process.get(), limitMs) == WAIT_OBJECT_0;
    if (!ended) {
        // A hung program is no answer: it is ended, never left running into the next test.
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), kHangLimitMs);
        return -1;
    }
    DWORD code = 1;
    return GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
}

}  // namespace rkx::test
