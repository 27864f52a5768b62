#include "tests/autosetup/service_rig.h"

#include <sddl.h>
#include <wtsapi32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "common/unique_registry_key.h"
#include "tests/support/text.h"
#include "virtualmixer/client/device_change_broadcast.h"

namespace rkx::autosetup::test {
namespace {

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
    std::string sid = Utf8(text);
    LocalFree(text);
    return sid;
}

}  // namespace

// ---- The installed service ---------------------------------------------------------------

std::wstring InstalledServiceProgram()
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\RKX-T2_AutoSetup.exe";
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
    EnsureAutoSetupStopped();
    ASSERT_EQ(AutoSetupState(), static_cast<DWORD>(SERVICE_STOPPED)) << "the service is not installed or not stopped";
    ASSERT_TRUE(utility.ready()) << "cannot install the settings-utility stand-in";
    settings.emplace();
}

void AutoSetupServiceTest::TearDown()
{
    EnsureAutoSetupStopped();
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
    ASSERT_TRUE(StartAutoSetup()) << "StartService failed, error " << GetLastError();
    ASSERT_TRUE(WaitForAutoSetupState(SERVICE_RUNNING)) << "state " << AutoSetupState();
    ASSERT_EQ(utility.WaitForLaunches(1).size(), 1u)
        << "the first timer tick started no utility; service state " << AutoSetupState() << ", windows "
        << CountAutoSetupWindows() << ", mixer requests:" << Describe(MixerRequests());
}

void AutoSetupServiceTest::SetPlugged(bool plugged) { ASSERT_TRUE(rig.SetPlugged(0, plugged)); }

void AutoSetupServiceTest::PlugAndAnnounce(bool plugged)
{
    SetPlugged(plugged);
    ASSERT_EQ(SendDeviceInterfaceChange(plugged, rkx::vmix::MixerUsbDeviceName(0)), 1)
        << "the service's window did not take the device change";
}

}  // namespace rkx::autosetup::test
