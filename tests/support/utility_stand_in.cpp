#include "tests/support/utility_stand_in.h"

#include "common/unique_handle.h"
#include "common/unique_registry_key.h"
#include "tests/support/files.h"
#include "tests/support/processes.h"
#include "tests/support/text.h"
#include "tests/support/utility_probe_names.h"

namespace rkx::test {
namespace {

constexpr wchar_t kStandInName[] = L"RKX-T2_Config.exe";
constexpr wchar_t kMachineKey[] = L"Software\\Korvane\\RKX-T2";
constexpr wchar_t kAsioConfigValue[] = L"AsioConfig";

std::optional<std::wstring> ReadAsioConfig()
{
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t text[1024] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), kAsioConfigValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
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
    RegSetValueExW(key.get(), kAsioConfigValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RemoveAsioConfig()
{
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineKey, 0, KEY_SET_VALUE, key.receive()) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), kAsioConfigValue);
}

}  // namespace

UtilityStandIn::UtilityStandIn(const wchar_t* folderName)
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    folder_ = std::wstring(temp) + folderName + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    program_ = folder_ + kStandInName;
    DeleteFileW((folder_ + kProbeLogName).c_str());
    if (!CopyFileW((OwnFolder() + L"utility_probe.exe").c_str(), program_.c_str(), FALSE)) return;
    const std::optional<std::wstring> previous = ReadAsioConfig();
    hadAsioConfig_ = previous.has_value();
    previousAsioConfig_ = previous.value_or(L"");
    PadAsioConfig(1);
    ready_ = true;
}

UtilityStandIn::~UtilityStandIn()
{
    ReleaseAll();
    if (ready_) {
        if (hadAsioConfig_)
            WriteAsioConfig(previousAsioConfig_);
        else
            RemoveAsioConfig();
    }
    DeleteFileW((folder_ + kProbeLogName).c_str());
}

std::string UtilityStandIn::AsioConfig() const { return Utf8(asioConfig_); }

void UtilityStandIn::PadAsioConfig(size_t blanks)
{
    asioConfig_ = L"\"" + program_ + L"\"" + std::wstring(blanks, L' ') + L"-Auto";
    WriteAsioConfig(asioConfig_);
}

std::vector<Launch> UtilityStandIn::Launches() const { return ReadProbeLaunches(folder_); }

std::vector<Launch> UtilityStandIn::WaitForLaunches(size_t count, DWORD limitMs) const
{
    std::vector<Launch> launches;
    WaitUntil([&] { return (launches = Launches()).size() >= count; }, limitMs);
    return launches;
}

int UtilityStandIn::RunningCount() const { return CountProcessesNamed(kStandInName); }

bool UtilityStandIn::ReleaseAll() const
{
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, kProbeReleaseEvent));
    if (release) SetEvent(release.get());
    const bool allEnded = release && WaitUntil([&] { return RunningCount() == 0; });
    ForEachProcessNamed(kStandInName, [](DWORD processId) {
        UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
        if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), kHangLimitMs);
        }
    });
    if (release) ResetEvent(release.get());
    return allEnded;
}

}  // namespace rkx::test
