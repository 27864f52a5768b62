#include "autosetup/session_processes.h"

#include <tlhelp32.h>

#include <cwchar>

#include "common/unique_handle.h"

namespace rkx::autosetup {
namespace {

// Calls `visit` for every process in a snapshot until it returns false.
template <typename Visit>
void ForEachProcess(Visit visit)
{
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        entry.szExeFile[MAX_PATH - 1] = L'\0';
        if (!visit(entry)) return;
    }
}

}  // namespace

DWORD FindProcessIdByName(const wchar_t* name)
{
    DWORD found = 0;
    if (name == nullptr) return found;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        if (std::wcscmp(entry.szExeFile, name) != 0) return true;
        found = entry.th32ProcessID;
        return false;
    });
    return found;
}

int TerminateUtilityInSession(const wchar_t* upperCaseName, DWORD session)
{
    int ended = 0;
    if (upperCaseName == nullptr) return ended;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        wchar_t upper[MAX_PATH];
        std::wmemcpy(upper, entry.szExeFile, MAX_PATH);
        CharUpperW(upper);
        DWORD processSession = 0;
        if (std::wcscmp(upper, upperCaseName) == 0 && ProcessIdToSessionId(entry.th32ProcessID, &processSession) &&
            processSession == session) {
            UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
            if (process && TerminateProcess(process.get(), 0)) ++ended;
        }
        return true;
    });
    return ended;
}

}  // namespace rkx::autosetup
