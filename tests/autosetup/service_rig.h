// What the service tests work with: the installed service, its hidden window on the service
// window station, the settings-utility stand-in it starts, the console user's stored settings
// and the virtual mixer's journal.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/auto_setup_service.h"
#include "tests/support/utility_stand_in.h"
#include "tests/virtualmixer/rig_fixture.h"

namespace rkx::autosetup::test {

// The service manager, the service's window and the utility stand-in come from the support
// library.
using namespace ::rkx::test;

constexpr wchar_t kServiceAppIdKey[] = L"AppID\\{08803D64-BB70-4C7F-8499-7962A2CB2F94}";
constexpr wchar_t kMachineSettingsKey[] = L"Software\\Korvane\\RKX-T2";

std::wstring InstalledServiceProgram();  // C:\windows\system32\RKX-T2_AutoSetup.exe

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

    UtilityStandIn utility{L"rkx_autosetup_utility"};
    std::optional<StoredSettings> settings;
};

}  // namespace rkx::autosetup::test
