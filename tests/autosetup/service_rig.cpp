#include "tests/autosetup/service_rig.h"

#include <dbt.h>
#include <sddl.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "common/unique_registry_key.h"
#include "common/unique_service_handle.h"
#include "tests/autosetup/utility_probe_names.h"
#include "virtualmixer/client/device_change_broadcast.h"
#include "virtualmixer/client/window_station_walk.h"

namespace rkx::autosetup::test {
namespace {

constexpr DWORD kPollMs = 50;
constexpr GUID kUsbDeviceClass = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr wchar_t kStandInName[] = L"RKX-T2_Config.exe";

using ServiceHandle = rkx::UniqueServiceHandle;

struct OpenedService {
    ServiceHandle manager{OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)};
    ServiceHandle service{manager ? OpenServiceW(manager.get(), kServiceName, SERVICE_ALL_ACCESS) : nullptr};
};

std::optional<SERVICE_STATUS_PROCESS> QueryStatus()
{
    OpenedService opened;
    if (!opened.service) return std::nullopt;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(opened.service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof status, &needed)) {
        return std::nullopt;
    }
    return status;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty()) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes, nullptr,
                            nullptr);
    return out;
}

std::wstring OwnFolder()
{
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring full(path, length);
    return full.substr(0, full.find_last_of(L"\\/") + 1);
}

std::string SidOfToken(HANDLE token)
{
    DWORD bytes = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &bytes);
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes ? bytes : 1]());
    wchar_t* text = nullptr;
    if (!buffer || !GetTokenInformation(token, TokenUser, buffer.get(), bytes, &bytes) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &text)) {
        return {};
    }
    std::string sid = Narrow(text);
    LocalFree(text);
    return sid;
}

bool IsServiceWindow(HWND window)
{
    wchar_t className[64] = {};
    return GetClassNameW(window, className, 64) > 0 && std::wcscmp(className, kServiceWindowClass) == 0;
}

// Calls `use` for every service window, while the process sits on that window's station.
template <typename Use>
int ForEachServiceWindow(Use use)
{
    return vmix::ForEachTopLevelWindow([&](HWND window) { return IsServiceWindow(window) && use(window) ? 1 : 0; });
}

template <typename Visit>
void ForEachStandIn(Visit visit)
{
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, kStandInName) == 0) visit(entry.th32ProcessID);
    }
}

std::optional<std::wstring> ReadMachineString(const wchar_t* name)
{
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineSettingsKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t text[1024] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    return std::wstring(text);
}

void WriteMachineString(const wchar_t* name, const std::wstring& value)
{
    UniqueKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachineSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

// ---- The installed service ---------------------------------------------------------------

std::wstring InstalledServiceProgram()
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\RKX-T2_AutoSetup.exe";
}

DWORD ServiceState()
{
    const auto status = QueryStatus();
    return status ? status->dwCurrentState : 0;
}

DWORD ServiceProcessId()
{
    const auto status = QueryStatus();
    return status ? status->dwProcessId : 0;
}

bool StartAutoSetupService()
{
    OpenedService opened;
    return opened.service && StartServiceW(opened.service.get(), 0, nullptr);
}

DWORD SendStopControl()
{
    OpenedService opened;
    SERVICE_STATUS status{};
    if (!opened.service || !ControlService(opened.service.get(), SERVICE_CONTROL_STOP, &status)) return 0;
    return status.dwCurrentState;
}

bool WaitForServiceState(DWORD state)
{
    for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
        if (ServiceState() == state) return true;
        Sleep(kPollMs);
    }
    return false;
}

void EnsureServiceStopped()
{
    const DWORD processId = ServiceProcessId();
    UniqueHandle process(processId ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId) : nullptr);
    if (ServiceState() != SERVICE_STOPPED && ServiceState() != 0) {
        SendStopControl();
        WaitForServiceState(SERVICE_STOPPED);
    }
    if (process && WaitForSingleObject(process.get(), kWaitMs) == WAIT_TIMEOUT) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), kWaitMs);
    }
}

// ---- Messages to the service's hidden window -----------------------------------------------

int CountServiceWindows()
{
    return ForEachServiceWindow([](HWND) { return true; });
}

bool WaitForServiceWindows(int count)
{
    for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
        if (CountServiceWindows() == count) return true;
        Sleep(kPollMs);
    }
    return CountServiceWindows() == count;
}

int SendToServiceWindows(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ForEachServiceWindow([&](HWND window) {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kWaitMs, &answer) != 0;
    });
}

int SendDeviceInterfaceChange(bool arrival, const std::wstring& interfaceName)
{
    const size_t bytes =
        offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (interfaceName.size() + 1) * sizeof(wchar_t);
    std::unique_ptr<BYTE[]> storage(new (std::nothrow) BYTE[bytes]());
    if (!storage) return 0;
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.get());
    record->dbcc_size = static_cast<DWORD>(bytes);
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_classguid = kUsbDeviceClass;
    std::memcpy(record->dbcc_name, interfaceName.c_str(), (interfaceName.size() + 1) * sizeof(wchar_t));
    return SendToServiceWindows(WM_DEVICECHANGE, arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                                reinterpret_cast<LPARAM>(record));
}

// ---- The settings-utility stand-in ----------------------------------------------------------

UtilityStandIn::UtilityStandIn()
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    folder_ = std::wstring(temp) + L"rkx_autosetup_utility\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    program_ = folder_ + kStandInName;
    DeleteFileW((folder_ + kProbeLogName).c_str());
    if (!CopyFileW((OwnFolder() + L"utility_probe.exe").c_str(), program_.c_str(), FALSE)) return;
    previousAsioConfig_ = ReadMachineString(L"AsioConfig");
    PadAsioConfig(1);
    ready_ = true;
}

UtilityStandIn::~UtilityStandIn()
{
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, kProbeReleaseEvent));
    if (release) SetEvent(release.get());
    ForEachStandIn([](DWORD processId) {
        UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
        if (process && WaitForSingleObject(process.get(), kWaitMs) == WAIT_TIMEOUT) TerminateProcess(process.get(), 1);
    });
    if (release) ResetEvent(release.get());
    if (previousAsioConfig_) WriteMachineString(L"AsioConfig", *previousAsioConfig_);
    DeleteFileW((folder_ + kProbeLogName).c_str());
}

std::string UtilityStandIn::AsioConfig() const { return Narrow(asioConfig_); }

void UtilityStandIn::PadAsioConfig(size_t blanks)
{
    asioConfig_ = L"\"" + program_ + L"\"" + std::wstring(blanks, L' ') + L"-Auto";
    WriteMachineString(L"AsioConfig", asioConfig_);
}

std::vector<Launch> UtilityStandIn::Launches() const { return ReadProbeLaunches(folder_); }

std::vector<Launch> UtilityStandIn::WaitForLaunches(size_t count) const
{
    std::vector<Launch> launches = Launches();
    for (DWORD waited = 0; launches.size() < count && waited < kWaitMs; waited += kPollMs) {
        Sleep(kPollMs);
        launches = Launches();
    }
    return launches;
}

int UtilityStandIn::RunningCount() const
{
    int count = 0;
    ForEachStandIn([&](DWORD) { ++count; });
    return count;
}

// ---- The console user ------------------------------------------------------------------------

std::string ConsoleUserSid()
{
    HANDLE token = nullptr;
    if (WTSQueryUserToken(WTSGetActiveConsoleSessionId(), &token)) {
        UniqueHandle owned(token);
        return SidOfToken(owned.get());
    }
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    UniqueHandle owned(token);
    return SidOfToken(owned.get());
}

StoredSettings::StoredSettings()
{
    const std::string sid = ConsoleUserSid();
    key_ = std::wstring(sid.begin(), sid.end()) + L"\\" + kMachineSettingsKey;
    RegDeleteTreeW(HKEY_USERS, key_.c_str());
}

StoredSettings::~StoredSettings() { RegDeleteTreeW(HKEY_USERS, key_.c_str()); }

void StoredSettings::Set(const wchar_t* name, DWORD value)
{
    UniqueKey key;
    if (RegCreateKeyExW(HKEY_USERS, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(), nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// ---- The mixer's side ------------------------------------------------------------------------

std::string Describe(const std::vector<MixerRequest>& requests)
{
    if (requests.empty()) return "(none)";
    std::string out;
    for (const MixerRequest& request : requests) {
        char line[64];
        std::snprintf(line, sizeof line, "\n  0x%06X", request.code);
        out += line;
        for (uint8_t byte : request.input) {
            std::snprintf(line, sizeof line, " %02X", byte);
            out += line;
        }
    }
    return out;
}

void AutoSetupServiceTest::SetUp()
{
    RigTest::SetUp();
    if (HasFatalFailure()) return;
    EnsureServiceStopped();
    ASSERT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_STOPPED)) << "the service is not installed or not stopped";
    ASSERT_TRUE(utility.ready()) << "cannot install the settings-utility stand-in";
    settings.emplace();
}

void AutoSetupServiceTest::TearDown()
{
    EnsureServiceStopped();
    settings.reset();
    RigTest::TearDown();
}

std::vector<MixerRequest> AutoSetupServiceTest::MixerRequests()
{
    std::vector<MixerRequest> requests;
    std::unique_ptr<VmixJournal> journal(new (std::nothrow) VmixJournal{});
    if (!journal || !rig.GetJournal(*journal)) {
        ADD_FAILURE() << "cannot read the journal, error " << GetLastError();
        return requests;
    }
    const uint32_t count = journal->count < VMIX_JOURNAL_CAPACITY ? journal->count : VMIX_JOURNAL_CAPACITY;
    EXPECT_EQ(journal->totalSequence, count) << "the journal overflowed";
    for (uint32_t i = 0; i < count; ++i) {
        const VmixJournalEntry& entry = journal->entry[i];
        if (entry.mixer != 0 || RkxControlRequestIndex(entry.code) < 0) continue;
        const uint32_t bytes = entry.inputBytes < VMIX_PAYLOAD_BYTES ? entry.inputBytes : VMIX_PAYLOAD_BYTES;
        requests.push_back({entry.code, std::vector<uint8_t>(entry.input, entry.input + bytes)});
    }
    return requests;
}

void AutoSetupServiceTest::ClearJournal() { ASSERT_TRUE(rig.ClearStats()); }

size_t AutoSetupServiceTest::CountOf(uint32_t code)
{
    size_t count = 0;
    for (const MixerRequest& request : MixerRequests()) count += request.code == code ? 1 : 0;
    return count;
}

void AutoSetupServiceTest::PlantSettings()
{
    // Send channels 0..3 ("Output1".."Output4"), receive channels 0..2 ("Input1".."Input3").
    settings->Set(L"Output1", 5);
    settings->Set(L"Output2", 6);
    settings->Set(L"Output3", 4);
    settings->Set(L"Output4", 0);
    settings->Set(L"Input1", 2);
    settings->Set(L"Input2", 0);
    settings->Set(L"Input3", 1);
    settings->Set(L"Level", 3);
}

std::vector<MixerRequest> RestoreThenAsk(size_t asks)
{
    const MixerRequest readSelectors{IOCTL_MIXER_GET_SELECTOR_STATUS, {}};
    // Send channel 3 and receive channel 3 are read but refused by the setters; the MIDI
    // settings are not supported by this mixer and send nothing.
    std::vector<MixerRequest> requests{
        {IOCTL_MIXER_GET_PARTNER_ACTIVE, {}},
        {IOCTL_MIXER_SET_USB_SEND_SOURCE, {1, 0, 5, 0}}, readSelectors,
        {IOCTL_MIXER_SET_USB_SEND_SOURCE, {2, 0, 6, 0}}, readSelectors,
        {IOCTL_MIXER_SET_USB_SEND_SOURCE, {3, 0, 4, 0}}, readSelectors,
        {IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {1, 0, 2, 0}},
        {IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {2, 0, 0, 0}},
        {IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {3, 0, 1, 0}},
        {IOCTL_MIXER_SET_BOOST_LEVEL, {3, 0}},
    };
    requests.insert(requests.end(), asks, MixerRequest{IOCTL_MIXER_GET_LAUNCH_REQUEST, {}});
    return requests;
}

void AutoSetupServiceTest::SetLaunchAnswer(uint32_t answer, uint32_t askAgainFirst)
{
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_LAUNCH_ANSWER, 0, answer));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_LAUNCH_ASK_AGAIN, 0, askAgainFirst));
}

void AutoSetupServiceTest::StartServiceAndWaitForFirstLaunch()
{
    SetLaunchAnswer(RKX_LAUNCH_YES);
    ASSERT_TRUE(StartAutoSetupService()) << "StartService failed, error " << GetLastError();
    ASSERT_TRUE(WaitForServiceState(SERVICE_RUNNING)) << "state " << ServiceState();
    ASSERT_EQ(utility.WaitForLaunches(1).size(), 1u)
        << "the first timer tick started no utility; service state " << ServiceState() << ", windows "
        << CountServiceWindows() << ", mixer requests:" << Describe(MixerRequests());
}

void AutoSetupServiceTest::SetPlugged(bool plugged) { ASSERT_TRUE(rig.SetPlugged(0, plugged)); }

void AutoSetupServiceTest::PlugAndAnnounce(bool plugged)
{
    SetPlugged(plugged);
    ASSERT_EQ(SendDeviceInterfaceChange(plugged, rkx::vmix::MixerUsbDeviceName(0)), 1)
        << "the service's window did not take the device change";
}

}  // namespace rkx::autosetup::test
