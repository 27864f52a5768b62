// Suite 2: every registry value the deliverables read, stored with the wrong type, the wrong
// size and absurd numbers. Each reader must then behave as if the value were missing (or, for
// an absurd number of the right type, still give a sane answer), and must leave the stored
// garbage as it found it. One table row per value and reader. The settings utility is started
// for every kind of garbage of its values: its window must open, painted, on the desktop.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/unique_registry_key.h"
#include "dialog/placement.h"
#include "include/rkx_t2_setup.h"
#include "tests/asio/driver_module.h"
#include "tests/stress/process_tools.h"
#include "tests/stress/suite_report.h"
#include "tests/stress/utility_observer.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::stress {
namespace {

constexpr int kProduct = QVR_PRODUCT_RKX_T2;
// The ASIO driver of this build keeps its buffer size under its own key name.
const std::wstring kAsioSettingsKey = std::wstring(L"SOFTWARE\\") + rkx::test::kAsioKeyNameW;

// One way of storing a value badly.
struct Garbage {
    std::string label;
    DWORD type;
    std::vector<BYTE> data;
    bool sameTypeNumber;  // right type and size, absurd number: any sane outcome is fine
    bool edge = false;    // a number chosen for this value (the desktop's edge): always tried
};

std::vector<BYTE> Bytes(const void* data, size_t size)
{
    const BYTE* p = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(p, p + size);
}
std::vector<BYTE> Dword(DWORD value) { return Bytes(&value, 4); }
std::vector<BYTE> Wide(const std::wstring& text, bool terminated)
{
    return Bytes(text.c_str(), (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
}

std::vector<Garbage> GarbageForDword(const std::vector<DWORD>& absurd)
{
    const uint64_t qword = 1;
    std::vector<Garbage> list = {
        {"REG_SZ \"1\"", REG_SZ, Wide(L"1", true), false},
        {"REG_EXPAND_SZ \"2\"", REG_EXPAND_SZ, Wide(L"2", true), false},
        {"REG_MULTI_SZ", REG_MULTI_SZ, Wide(std::wstring(L"1\0", 2), true), false},
        {"REG_BINARY 01 00 00 00", REG_BINARY, Dword(1), false},
        {"REG_NONE 4 bytes", REG_NONE, Dword(1), false},
        {"REG_QWORD 1", REG_QWORD, Bytes(&qword, 8), false},
        {"REG_DWORD_BIG_ENDIAN 1", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}, false},
        {"REG_DWORD of 0 bytes", REG_DWORD, {}, false},
        {"REG_DWORD of 1 byte", REG_DWORD, {1}, false},
        {"REG_DWORD of 3 bytes", REG_DWORD, {1, 0, 0}, false},
        {"REG_DWORD of 5 bytes", REG_DWORD, {1, 0, 0, 0, 0}, false},
        {"REG_DWORD of 65536 bytes", REG_DWORD, std::vector<BYTE>(65536, 1), false},
    };
    for (DWORD value : absurd) {
        char label[40];
        std::snprintf(label, sizeof(label), "REG_DWORD 0x%lx", static_cast<unsigned long>(value));
        list.push_back({label, REG_DWORD, Dword(value), true});
    }
    return list;
}

std::vector<Garbage> GarbageForText()
{
    return {
        {"REG_DWORD 7", REG_DWORD, Dword(7), false},
        {"REG_BINARY of 0 bytes", REG_BINARY, {}, false},
        {"REG_BINARY of 1 byte", REG_BINARY, {'1'}, false},
        {"REG_BINARY of 3 bytes", REG_BINARY, {'1', 0, '.'}, false},
        {"REG_BINARY of 5 bytes", REG_BINARY, {'1', 0, '.', 0, '2'}, false},
        {"REG_BINARY text ending in -Auto", REG_BINARY, Wide(L"C:\\nowhere\\x.exe -Auto", false), false},
        {"REG_SZ of 0 bytes", REG_SZ, {}, true},
        {"REG_SZ of 1 byte", REG_SZ, {'1'}, true},
        {"REG_SZ of 3 bytes", REG_SZ, {'1', 0, '.'}, true},
        {"REG_SZ of 5 bytes, no terminator", REG_SZ, {'1', 0, '.', 0, '2'}, true},
        {"REG_SZ of 300 characters", REG_SZ, Wide(std::wstring(300, L'9'), true), true},
        {"REG_SZ of 65536 bytes", REG_SZ, std::vector<BYTE>(65536, 'A'), true},
        {"REG_MULTI_SZ", REG_MULTI_SZ, Wide(std::wstring(L"1.0\0x", 5), true), false},
    };
}

// A value's raw contents, to put back afterwards.
struct Saved {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

Saved Save(HKEY root, const wchar_t* path, const wchar_t* name)
{
    Saved saved;
    UniqueKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return saved;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &saved.type, nullptr, &bytes) != ERROR_SUCCESS) return saved;
    saved.data.resize(bytes);
    saved.present = RegQueryValueExW(key.get(), name, nullptr, &saved.type, saved.data.data(), &bytes) == ERROR_SUCCESS;
    saved.data.resize(bytes);
    return saved;
}

bool Plant(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const std::vector<BYTE>& data)
{
    UniqueKey key;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), name, 0, type, data.empty() ? nullptr : data.data(), DWORD(data.size())) ==
           ERROR_SUCCESS;
}

void Remove(HKEY root, const wchar_t* path, const wchar_t* name)
{
    UniqueKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, key.receive()) == ERROR_SUCCESS) RegDeleteValueW(key.get(), name);
}

void Restore(HKEY root, const wchar_t* path, const wchar_t* name, const Saved& saved)
{
    if (saved.present)
        Plant(root, path, name, saved.type, saved.data);
    else
        Remove(root, path, name);
}

std::string Narrow(const wchar_t* text)
{
    if (text == nullptr) return "(null)";
    std::string out;
    for (size_t i = 0; text[i] != 0 && i < 80; ++i) out += text[i] < 128 ? char(text[i]) : '?';
    return out;
}

// ---- What the readers make of the registry ----

std::string InputRouting(int channel)
{
    int index = -1;
    const int code = QVR_GetCurrentUSBInputAudioIndex(kProduct, channel, &index);
    return std::to_string(code) + " index " + std::to_string(index);
}
std::string OutputRouting(int channel)
{
    int index = -1;
    const int code = QVR_GetCurrentUSBOutputAudioIndex(kProduct, channel, &index);
    return std::to_string(code) + " index " + std::to_string(index);
}
std::string BoostLevel()
{
    int index = -1;
    const int code = QVR_GetCurrentBoostLevelIndex(kProduct, &index);
    return std::to_string(code) + " index " + std::to_string(index);
}
std::string WarningLanguage()
{
    const wchar_t* text = nullptr;
    const int code = QVR_GetWarningTextForSetUSBAudioInput(kProduct, 0, 101, QVR_LANGUAGE_INSTALLED, &text, 0);
    return std::to_string(code) + " " + Narrow(text);
}
std::string InstallerVersion()
{
    const wchar_t* text = nullptr;
    const int code = QVR_GetInstallerVersionText(kProduct, &text);
    if (code == 100 && (text == nullptr || wcsnlen(text, 256) >= 256)) return "100 with an unreadable text";
    return std::to_string(code) + (code == 100 ? " " + Narrow(text) : "");
}

// A driver object as a host creates it: init, then its buffer size (from "blockNum").
std::string DriverBufferSize()
{
    asio::test::DriverModule module;
    if (!module.loaded()) return "module not loaded";
    IASIO* driver = module.CreateDriver();
    if (driver == nullptr) return "no driver object";
    std::string outcome;
    if (driver->init(nullptr) != ASIOTrue) {
        outcome = "init failed";
    } else {
        long minimum = 0, maximum = 0, preferred = 0, granularity = 0;
        driver->getBufferSize(&minimum, &maximum, &preferred, &granularity);
        outcome = "buffer " + std::to_string(preferred) + " frames";
    }
    driver->Release();
    return outcome;
}

// The control panel with "AsioConfig" as it is: returns at once when nothing can be started;
// when it started something it waits for "AsioConfigLaunch" to go back to 0.
std::string ControlPanel()
{
    asio::test::DriverModule module;
    if (!module.loaded()) return "module not loaded";
    IASIO* driver = module.CreateDriver();
    if (driver == nullptr) return "no driver object";
    DWORD threadId = 0;
    ASIOError result = ASE_OK;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread panel([&] {
        threadId = GetCurrentThreadId();
        result = driver->controlPanel();
        SetEvent(done);
    });
    std::string outcome = "returned at once";
    if (WaitForSingleObject(done, 3000) != WAIT_OBJECT_0) {
        outcome = "started something and waited";
        const DWORD zero = 0;
        UniqueKey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Korvane\\RKX-T2", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.receive(), nullptr) == ERROR_SUCCESS)
            RegSetValueExW(key.get(), L"AsioConfigLaunch", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), 4);
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(done, 10000) != WAIT_OBJECT_0) outcome = "hung";
    }
    if (outcome == "hung") {
        panel.detach();  // leaked on purpose: the process reports and ends
    } else {
        panel.join();
        driver->Release();
    }
    CloseHandle(done);
    if (result != ASE_OK) outcome += " with error " + std::to_string(result);
    return outcome;
}

struct ReadValue {
    const char* reader;
    HKEY root;
    const wchar_t* path;
    const wchar_t* name;
    std::vector<Garbage> garbage;
    std::function<std::string()> observe;
    // For absurd numbers of the right type: is this outcome sane? (null: must equal the default)
    std::function<bool(const std::string&)> sane;
    // Starts a program for each observation: the short form tries fewer kinds of garbage.
    bool slow = false;
};

// The kinds of garbage the short form tries for a slow reader: a wrong type, wrong sizes
// (empty, short, huge) and the numbers at the type's ends.
bool InShortForm(const Garbage& garbage)
{
    static const char* const kLabels[] = {"REG_SZ \"1\"", "REG_DWORD of 1 byte", "REG_DWORD of 65536 bytes",
                                          "REG_DWORD 0xffffffff", "REG_BINARY of 3 bytes", "REG_SZ of 65536 bytes"};
    for (const char* label : kLabels)
        if (garbage.label == label) return true;
    return garbage.edge;
}

bool StartsWith100(const std::string& outcome) { return outcome.rfind("100 ", 0) == 0 || outcome == "100"; }

std::vector<ReadValue> ValuesRead()
{
    const wchar_t* kUser = L"Software\\Korvane\\RKX-T2";
    // Numbers at and beyond each value's first invalid one.
    const auto absurd = [](DWORD limit) {
        return GarbageForDword({0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0x10000, 256, limit, limit + 1});
    };
    std::vector<ReadValue> values;
    const wchar_t* kOutputs[] = {L"Output1", L"Output2", L"Output3", L"Output4"};
    const DWORD kOutputLimits[] = {8, 8, 7, 7};
    for (int channel = 0; channel < 4; ++channel)
        values.push_back({"setup library", HKEY_CURRENT_USER, kUser, kOutputs[channel], absurd(kOutputLimits[channel]),
                          [channel] { return InputRouting(channel); }, nullptr});
    const wchar_t* kInputs[] = {L"Input1", L"Input2", L"Input3"};
    for (int channel = 0; channel < 3; ++channel)
        values.push_back({"setup library", HKEY_CURRENT_USER, kUser, kInputs[channel], absurd(3),
                          [channel] { return OutputRouting(channel); }, nullptr});
    values.push_back({"setup library", HKEY_CURRENT_USER, kUser, L"Level", absurd(4), BoostLevel, nullptr});
    // Absurd language identifiers name no table: any text of the library's own will do.
    values.push_back({"setup library", HKEY_LOCAL_MACHINE, kUser, L"InstallLanguage",
                      GarbageForDword({0xFFFFFFFF, 0x80000000, 0, 0x3FF, 0x10409, 0x404}), WarningLanguage,
                      [](const std::string& outcome) { return StartsWith100(outcome) && outcome.size() > 4; }});
    values.push_back({"setup library", HKEY_LOCAL_MACHINE,
                      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RKX-T2", L"DisplayVersion",
                      GarbageForText(), InstallerVersion, [](const std::string& outcome) {
                          return outcome == "102" || (StartsWith100(outcome) && outcome.find("unreadable") == std::string::npos);
                      }});
    values.push_back({"ASIO driver", HKEY_CURRENT_USER, kAsioSettingsKey.c_str(), L"blockNum",
                      GarbageForDword({0, 65, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 4096}), DriverBufferSize, nullptr});
    // Text that names no program: the control panel may try the shell, must not hang or crash.
    values.push_back({"ASIO driver", HKEY_LOCAL_MACHINE, rkx::test::kMachineKeyW, L"AsioConfig",
                      GarbageForText(), ControlPanel,
                      [](const std::string& outcome) { return outcome.find("hung") == std::string::npos &&
                                                              outcome.find("error") == std::string::npos; }});

    // The settings utility: whatever it reads, its window opens, painted, on the desktop.
    const auto window = [] { return UtilityWindow(0); };
    const auto onDesktop = [](const std::string& outcome) { return UtilityWindowOnDesktop(outcome); };
    values.push_back({"settings utility", HKEY_CURRENT_USER, kUser, L"Tab", absurd(4), window, nullptr, true});
    // Positions at the desktop's edges: one pixel on it, and the first position wholly off it.
    RECT desktop{};
    GetClientRect(GetDesktopWindow(), &desktop);
    const LONG width = 2 * GetSystemMetrics(SM_CXDLGFRAME) + config::kClientWidth;
    const LONG height = 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) + config::kClientHeight;
    const auto positions = [](LONG low, LONG high, LONG size) {
        std::vector<Garbage> list =
            GarbageForDword({0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0x7FFFFF00, 0xFFFF0000, DWORD(-100), 5000});
        for (LONG position : {high - 1, high, low - size + 1, low - size}) {
            char label[40];
            std::snprintf(label, sizeof(label), "REG_DWORD %ld (an edge)", position);
            list.push_back({label, REG_DWORD, Dword(DWORD(position)), true, true});
        }
        return list;
    };
    values.push_back({"settings utility", HKEY_CURRENT_USER, kUser, L"PosX", positions(desktop.left, desktop.right, width),
                      window, onDesktop, true});
    values.push_back({"settings utility", HKEY_CURRENT_USER, kUser, L"PosY",
                      positions(desktop.top, desktop.bottom, height), window, onDesktop, true});
    // Read about once a second: the outcome is taken after the second reading. Any number
    // but 0 is a request.
    values.push_back({"settings utility", HKEY_CURRENT_USER, kUser, L"AsioConfigLaunch",
                      GarbageForDword({0xFFFFFFFF, 0x80000000, 2}), [] { return UtilityWindow(1500); }, onDesktop,
                      true});
    values.push_back({"settings utility", HKEY_LOCAL_MACHINE, kUser, L"InstallLanguage",
                      GarbageForDword({0xFFFFFFFF, 0x80000000, 0, 0x3FF, 0x10409, 0x411}), window, onDesktop, true});
    // Read for the ASIO page, shown for them.
    const auto asioPage = [] { return UtilityWindow(0, 2); };
    values.push_back({"settings utility", HKEY_CURRENT_USER, L"SOFTWARE\\RKX-T2 ASIO", L"blockNum",
                      GarbageForDword({0, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 4096}), asioPage, onDesktop, true});
    values.push_back({"settings utility", HKEY_CURRENT_USER, L"SOFTWARE\\RKX-T2 ASIO 64bit", L"sampleRate",
                      GarbageForDword({0, 0xFFFFFFFF, 44100 * 4, 96001}), asioPage, onDesktop, true});

    // The service reads the utility's command line when the mixer asks for it: text that
    // starts nothing, or a wrong type, must leave it running.
    values.push_back({"auto-setup service", HKEY_LOCAL_MACHINE, kUser, L"AsioConfig", GarbageForText(),
                      ServiceAfterPlugIn, [](const std::string& outcome) { return outcome == "running"; }, true});
    return values;
}

int RunSuite(int argc, char** argv)
{
    const bool full = FullLength(argc, argv);
    // "--reader NAME" tries only the values of one reader ("settings utility"), to repeat a finding.
    std::string onlyReader;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--reader") == 0) onlyReader = argv[i + 1];
    SuiteReport report(2, "registry garbage");
    vmix::VirtualMixerClient rig;
    if (!report.Check(rig.IsOpen() && rig.Reset(), "the virtual mixer is loaded")) return report.Finish();
    int tried = 0, values = 0;
    for (const ReadValue& value : ValuesRead()) {
        if (!onlyReader.empty() && onlyReader != value.reader) continue;
        ++values;
        const Saved saved = Save(value.root, value.path, value.name);
        Remove(value.root, value.path, value.name);
        const std::string missing = value.observe();
        int held = 0, wrong = 0;
        std::vector<std::string> wrongOnes;
        for (const Garbage& garbage : value.garbage) {
            if (value.slow && !full && !InShortForm(garbage)) continue;
            ++tried;
            if (!Plant(value.root, value.path, value.name, garbage.type, garbage.data)) {
                ++wrong;
                wrongOnes.push_back(garbage.label + ": could not be stored");
                continue;
            }
            // As the registry keeps it (it may differ from what was handed in, e.g. a terminator).
            const Saved planted = Save(value.root, value.path, value.name);
            const std::string outcome = value.observe();
            const bool asMissing = outcome == missing;
            const bool fine = asMissing || (garbage.sameTypeNumber && value.sane && value.sane(outcome));
            // The reader leaves the garbage it found as it was.
            const Saved after = Save(value.root, value.path, value.name);
            const bool untouched = after.present && after.type == planted.type && after.data == planted.data;
            if (fine && untouched) {
                ++held;
            } else {
                ++wrong;
                wrongOnes.push_back(garbage.label + ": \"" + outcome + "\"" +
                                    (untouched ? "" : ", and the stored value was changed"));
            }
        }
        Restore(value.root, value.path, value.name, saved);
        StopServiceAfterObservation();
        report.Check(wrong == 0, "%s \"%ls\": %d kinds of garbage read as missing (\"%s\")%s", value.reader,
                     value.name, held, missing.c_str(), wrong == 0 ? "" : "; wrong:");
        for (const std::string& line : wrongOnes) std::printf("              %s\n", line.c_str());
    }
    report.Tried("%d values, %d kinds of garbage stored and read back through the deliverables", values, tried);
    report.Figure("values=%d", values);
    report.Figure("garbage=%d", tried);
    rig.Reset();
    return report.Finish();
}

}  // namespace
}  // namespace rkx::stress

int main(int argc, char** argv)
{
    try {
        return rkx::stress::RunSuite(argc, argv);
    } catch (...) {
        std::puts("stress: unexpected exception");
        return 3;
    }
}
