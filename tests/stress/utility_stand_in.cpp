#include "tests/stress/utility_stand_in.h"

#include <cstdlib>

#include "common/unique_handle.h"
#include "common/unique_registry_key.h"
#include "tests/autosetup/utility_probe_log.h"
#include "tests/autosetup/utility_probe_names.h"
#include "tests/stress/service_control.h"

namespace rkx::stress {
namespace {

using autosetup::test::kProbeLogName;
using autosetup::test::kProbeReleaseEvent;

constexpr wchar_t kStandInName[] = L"RKX-T2_Config.exe";
constexpr wchar_t kMachineKey[] = L"Software\\Korvane\\RKX-T2";
constexpr DWORD kReleaseLimitMs = 20000;

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) out += c < 128 ? char(c) : '?';
    return out;
}

std::wstring OwnFolder()
{
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    const std::wstring full(path, length);
    return full.substr(0, full.find_last_of(L"\\/") + 1);
}

std::optional<std::wstring> ReadAsioConfig()
{
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t text[1024] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), L"AsioConfig", nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::wstring(text);
}

void WriteAsioConfig(const std::wstring& value)
{
    UniqueKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachineKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key.get(), L"AsioConfig", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

UtilityStandIn::UtilityStandIn()
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    folder_ = std::wstring(temp) + L"rkx_stress_utility\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    const std::wstring program = folder_ + kStandInName;
    DeleteFileW((folder_ + kProbeLogName).c_str());
    if (!CopyFileW((OwnFolder() + L"utility_probe.exe").c_str(), program.c_str(), FALSE)) return;
    previousAsioConfig_ = ReadAsioConfig();
    const std::wstring asioConfig = L"\"" + program + L"\" -Auto";
    WriteAsioConfig(asioConfig);
    asioConfigText_ = Narrow(asioConfig);
    ready_ = true;
}

UtilityStandIn::~UtilityStandIn()
{
    ReleaseAll();
    if (previousAsioConfig_) WriteAsioConfig(*previousAsioConfig_);
    DeleteFileW((folder_ + kProbeLogName).c_str());
}

std::vector<UtilityStart> UtilityStandIn::Starts() const
{
    std::vector<UtilityStart> starts;
    for (const autosetup::test::Launch& launch : autosetup::test::ReadProbeLaunches(folder_))
        starts.push_back({launch.processId, launch.userSid, launch.commandLine});
    return starts;
}

std::vector<UtilityStart> UtilityStandIn::WaitForStarts(size_t count, DWORD limitMs) const
{
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    std::vector<UtilityStart> starts = Starts();
    while (starts.size() < count && GetTickCount64() < deadline) {
        Sleep(20);
        starts = Starts();
    }
    return starts;
}

int UtilityStandIn::RunningCount() const { return CountProcessesNamed(kStandInName); }

bool UtilityStandIn::ReleaseAll() const
{
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, kProbeReleaseEvent));
    if (!release) return false;
    SetEvent(release.get());
    const ULONGLONG deadline = GetTickCount64() + kReleaseLimitMs;
    while (RunningCount() > 0 && GetTickCount64() < deadline) Sleep(20);
    ResetEvent(release.get());
    return RunningCount() == 0;
}

}  // namespace rkx::stress
