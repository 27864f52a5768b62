// What the service tests work with: the installed service, its hidden window on the service
// window station, the settings-utility stand-in it starts, the console user's stored settings
// and the virtual mixer's journal.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/autosetup/utility_probe_log.h"
#include "tests/virtualmixer/rig_fixture.h"

namespace rkx::autosetup::test {

constexpr wchar_t kServiceName[] = L"RKX-T2_AutoSetup";
constexpr wchar_t kServiceWindowClass[] = L"RKXT2AutoSetupWin";
constexpr wchar_t kServiceAppIdKey[] = L"AppID\\{08803D64-BB70-4C7F-8499-7962A2CB2F94}";
constexpr wchar_t kMachineSettingsKey[] = L"Software\\Korvane\\RKX-T2";
// Wide bounds that only turn a hang into a failure.
constexpr DWORD kWaitMs = 20000;

// ---- The installed service ---------------------------------------------------------------

std::wstring InstalledServiceProgram();  // C:\windows\system32\RKX-T2_AutoSetup.exe
DWORD ServiceState();                    // 0 when it cannot be queried
DWORD ServiceProcessId();
bool StartAutoSetupService();
// Sends the stop control; the state it answered with, 0 when refused.
DWORD SendStopControl();
bool WaitForServiceState(DWORD state);
// Stops the service if it runs and waits for its process to end.
void EnsureServiceStopped();

// ---- Messages to the service's hidden window -----------------------------------------------

// Windows of class "RKXT2AutoSetupWin" on every desktop of every window station.
int CountServiceWindows();
// Until exactly `count` such windows exist: the service reports running before its loop
// creates the window, so a slow machine can see it running without one for a moment.
bool WaitForServiceWindows(int count);
// Sends the message to each of them and waits until it was handled; returns how many took it.
int SendToServiceWindows(UINT message, WPARAM wParam, LPARAM lParam);
// A device-interface arrival or removal of the USB device class with this interface name.
int SendDeviceInterfaceChange(bool arrival, const std::wstring& interfaceName);

// ---- The settings-utility stand-in ----------------------------------------------------------

// Copies the stand-in as "RKX-T2_Config.exe" into a folder of its own and points "AsioConfig"
// at it ("<path>" -Auto); the destructor releases every running stand-in and puts the old
// "AsioConfig" back.
class UtilityStandIn {
public:
    UtilityStandIn();
    ~UtilityStandIn();
    UtilityStandIn(const UtilityStandIn&) = delete;
    UtilityStandIn& operator=(const UtilityStandIn&) = delete;

    bool ready() const { return ready_; }
    const std::wstring& program() const { return program_; }
    std::string AsioConfig() const;  // what "AsioConfig" holds, UTF-8
    // Puts `blanks` blanks before "-Auto" in "AsioConfig".
    void PadAsioConfig(size_t blanks);
    std::vector<Launch> Launches() const;
    // Waits until `count` launches were recorded.
    std::vector<Launch> WaitForLaunches(size_t count) const;
    // Stand-in processes alive now.
    int RunningCount() const;

private:
    bool ready_ = false;
    std::wstring folder_;
    std::wstring program_;
    std::wstring asioConfig_;
    std::optional<std::wstring> previousAsioConfig_;
};

// ---- The console user ------------------------------------------------------------------------

std::string ConsoleUserSid();
// Plants "Software\Korvane\RKX-T2" DWORD values in the console user's hive; the destructor
// removes the key.
class StoredSettings {
public:
    StoredSettings();
    ~StoredSettings();
    StoredSettings(const StoredSettings&) = delete;
    StoredSettings& operator=(const StoredSettings&) = delete;
    void Set(const wchar_t* name, DWORD value);

private:
    std::wstring key_;
};

// ---- The mixer's side ------------------------------------------------------------------------

struct MixerRequest {
    uint32_t code = 0;
    std::vector<uint8_t> input;
    bool operator==(const MixerRequest&) const = default;
};
std::string Describe(const std::vector<MixerRequest>& requests);
// What a restore of the settings AutoSetupServiceTest::PlantSettings stores sends, in order,
// then `asks` launch questions.
std::vector<MixerRequest> RestoreThenAsk(size_t asks);

class AutoSetupServiceTest : public rkx::vmix::test::RigTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Control requests mixer 0 received since the last ClearJournal, oldest first.
    std::vector<MixerRequest> MixerRequests();
    void ClearJournal();
    size_t CountOf(uint32_t code);
    void PlantSettings();
    void SetLaunchAnswer(uint32_t answer, uint32_t askAgainFirst = 0);
    // Starts the service with the mixer answering "yes" and waits for its first launch: the
    // first timer tick has then restored and asked.
    void StartServiceAndWaitForFirstLaunch();
    // The mixer plugged or unplugged silently (no announcement).
    void SetPlugged(bool plugged);
    // Plugged or unplugged with the arrival or removal sent to the service.
    void PlugAndAnnounce(bool plugged);

    UtilityStandIn utility;
    std::optional<StoredSettings> settings;
};

}  // namespace rkx::autosetup::test
