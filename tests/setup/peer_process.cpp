#include "tests/setup/peer_process.h"
#include "tests/support/files.h"

namespace rkx::setup::test {

std::wstring ToolPath()
{
    return rkx::test::OwnFolder() + L"rkxsetup.exe";
}

PeerProcess::PeerProcess(const std::wstring& arguments)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return;
    output_.reset(readEnd);
    UniqueHandle childEnd(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = childEnd.get();
    startup.hStdError = childEnd.get();
    startup.hStdInput = nullptr;
    std::wstring commandLine = L"\"" + ToolPath() + L"\" " + arguments;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        return;
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
}

PeerProcess::~PeerProcess()
{
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 10000);
    }
}

std::string PeerProcess::ReadLine(DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        DWORD available = 0;
        if (!PeekNamedPipe(output_.get(), nullptr, 0, nullptr, &available, nullptr)) return {};
        if (available > 0) {
            char buffer[512];
            DWORD got = 0;
            if (!ReadFile(output_.get(), buffer, sizeof(buffer), &got, nullptr) || got == 0) return {};
            pending_.append(buffer, got);
            continue;
        }
        if (GetTickCount64() > deadline) return {};
        Sleep(5);
    }
}

int PeerProcess::Wait(DWORD timeoutMs)
{
    if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<int>(code);
}

int RunTool(const std::wstring& arguments, std::string& output)
{
    PeerProcess tool(arguments);
    if (!tool.Started()) return -1;
    output.clear();
    // Read while it runs, so a long output never fills the pipe and stalls it.
    for (std::string line = tool.ReadLine(); !line.empty(); line = tool.ReadLine()) output += line + "\n";
    return tool.Wait();
}

}  // namespace rkx::setup::test
