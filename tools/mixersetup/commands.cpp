#include "tools/mixersetup/commands.h"

#include <windows.h>

#include <string>
#include <vector>

#include "include/rkx_t2_setup.h"
#include "tools/mixersetup/output.h"

namespace rkx::mixersetup {
namespace {

constexpr int kProduct = QVR_PRODUCT_RKX_T2;
constexpr int kInstalledLanguage = QVR_LANGUAGE_INSTALLED;

enum class Setting { Input, Output, Boost };

std::wstring Number(long long value) { return std::to_wstring(value); }

std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L"(none)"; }

// The choices of one setting as the library lists them.
std::vector<std::wstring> Choices(Setting setting, int channel)
{
    std::vector<std::wstring> choices;
    int count = 0;
    const wchar_t* text = nullptr;
    if (setting == Setting::Boost) {
        if (QVR_GetNumOfBoostLevelIndex(kProduct, &count) != QVR_SUCCESS) return choices;
        for (int i = 0; i < count; ++i)
            choices.push_back(QVR_GetBoostLevelText(kProduct, i, kInstalledLanguage, &text) == QVR_SUCCESS ? Text(text) : L"?");
    } else if (setting == Setting::Input) {
        if (QVR_GetNumOfInputAudioIndex(kProduct, channel, &count) != QVR_SUCCESS) return choices;
        for (int i = 0; i < count; ++i)
            choices.push_back(QVR_GetUSBInputAudioText(kProduct, channel, i, kInstalledLanguage, &text) == QVR_SUCCESS ? Text(text) : L"?");
    } else {
        if (QVR_GetNumOfOutputAudioIndex(kProduct, channel, &count) != QVR_SUCCESS) return choices;
        for (int i = 0; i < count; ++i)
            choices.push_back(QVR_GetUSBOutputAudioText(kProduct, channel, i, kInstalledLanguage, &text) == QVR_SUCCESS ? Text(text) : L"?");
    }
    return choices;
}

const wchar_t* SettingName(Setting setting)
{
    return setting == Setting::Input ? L"input" : setting == Setting::Output ? L"output" : L"boost";
}

int Usage(const std::wstring& message)
{
    PrintError(message);
    PrintError(L"try: rkxsetup help");
    return kExitUsage;
}

// "input CH", "output CH" or "boost": which setting, and the channel; sets `used` words.
bool ParseSetting(const std::vector<std::wstring>& words, size_t first, Setting& setting, int& channel, size_t& used,
                  std::wstring& error)
{
    if (first >= words.size()) {
        error = L"name a setting: input CHANNEL, output CHANNEL or boost";
        return false;
    }
    const std::wstring& name = words[first];
    if (name == L"boost") {
        setting = Setting::Boost;
        channel = 0;
        used = 1;
        return true;
    }
    if (name != L"input" && name != L"output") {
        error = L"unknown setting \"" + name + L"\" (input, output or boost)";
        return false;
    }
    setting = name == L"input" ? Setting::Input : Setting::Output;
    if (first + 1 >= words.size()) {
        error = std::wstring(L"") + name + L" needs a channel: 0, 1 or 2";
        return false;
    }
    const auto parsed = ParseIndex(words[first + 1], 2);
    if (!parsed) {
        error = L"channel \"" + words[first + 1] + L"\" is not 0, 1 or 2";
        return false;
    }
    channel = static_cast<int>(*parsed);
    used = 2;
    return true;
}

int ShowStatus()
{
    const bool connected = QVR_IsUSBConnection(kProduct) == QVR_CONNECTED;
    PrintLine(std::wstring(L"connection: ") + (connected ? L"connected" : L"not connected"));
    int value = 0;
    if (QVR_GetFirmwareVersion(kProduct, 0, &value) == QVR_SUCCESS) {
        wchar_t text[16] = {};
        swprintf(text, 16, L"%01X.%02X", (value >> 8) & 0xFF, value & 0xFF);
        PrintLine(std::wstring(L"firmware: ") + text);
    } else {
        PrintLine(L"firmware: unavailable");
    }
    PrintLine(L"certification: " + (QVR_GetMixerCertifyLevel(kProduct, &value) == QVR_SUCCESS ? Number(value) : L"unavailable"));
    PrintLine(L"port information: " + (QVR_GetPortInfo(kProduct, &value) == QVR_SUCCESS ? Number(value) : L"unavailable"));
    for (int channel = 0; channel < 3; ++channel) {
        const bool known = QVR_GetMixerInputSelectorStatus(kProduct, channel, &value) == QVR_SUCCESS;
        PrintLine(L"selector " + Number(channel) + L": " +
                  (known ? Number(value) + (value == 4 ? L" (USB)" : L"") : std::wstring(L"unavailable")));
    }
    const bool partnerKnown = QVR_GetMixerVantorActiveStatus(kProduct, &value) == QVR_SUCCESS;
    PrintLine(L"partner software: " + (partnerKnown ? std::wstring(value ? L"active" : L"inactive") : std::wstring(L"unavailable")));
    return connected ? kExitOk : kExitFailed;
}

int ShowVersions()
{
    using Getter = int(QVR_CALL*)(int, const wchar_t**);
    const struct {
        const wchar_t* name;
        Getter get;
    } kVersions[] = {
        {L"driver", QVR_GetDriverVersionText},
        {L"utility", QVR_GetUtilityVersionText},
        {L"library", QVR_GetLibraryVersionText},
        {L"installer", QVR_GetInstallerVersionText},
    };
    for (const auto& version : kVersions) {
        const wchar_t* text = nullptr;
        const bool known = version.get(kProduct, &text) == QVR_SUCCESS && text != nullptr;
        PrintLine(std::wstring(version.name) + L": " + (known ? std::wstring(text) : std::wstring(L"unavailable")));
    }
    return kExitOk;
}

void ListSetting(Setting setting, int channel)
{
    std::wstring title = SettingName(setting);
    if (setting != Setting::Boost) title += L" " + Number(channel);
    PrintLine(title + L":");
    const auto choices = Choices(setting, channel);
    for (size_t i = 0; i < choices.size(); ++i) PrintLine(L"  " + Number(static_cast<long long>(i)) + L"  " + choices[i]);
}

int ListAll()
{
    for (int channel = 0; channel < 3; ++channel) ListSetting(Setting::Input, channel);
    for (int channel = 0; channel < 3; ++channel) ListSetting(Setting::Output, channel);
    ListSetting(Setting::Boost, 0);
    return kExitOk;
}

int GetSetting(const Options& options)
{
    Setting setting{};
    int channel = 0;
    size_t used = 0;
    std::wstring error;
    if (!ParseSetting(options.words, 1, setting, channel, used, error)) return Usage(error);
    if (options.words.size() != 1 + used) return Usage(L"get takes no further words");
    const wchar_t* user = options.user ? options.user->c_str() : nullptr;
    int index = 0;
    int result = QVR_FAILURE;
    if (setting == Setting::Input) result = QVR_GetCurrentUSBInputAudioIndex2(kProduct, channel, &index, user);
    else if (setting == Setting::Output) result = QVR_GetCurrentUSBOutputAudioIndex2(kProduct, channel, &index, user);
    else result = QVR_GetCurrentBoostLevelIndex2(kProduct, &index, user);
    if (result != QVR_SUCCESS) {
        PrintError(L"the library refused the query (" + Number(result) + L")");
        return kExitFailed;
    }
    const auto choices = Choices(setting, channel);
    const std::wstring text = index >= 0 && static_cast<size_t>(index) < choices.size() ? choices[index] : L"?";
    PrintLine(Number(index) + L"  " + text);
    return kExitOk;
}

int SetSetting(const Options& options)
{
    Setting setting{};
    int channel = 0;
    size_t used = 0;
    std::wstring error;
    if (!ParseSetting(options.words, 1, setting, channel, used, error)) return Usage(error);
    if (options.words.size() != 2 + used) return Usage(L"set needs one value: an index or its text (see rkxsetup list)");
    const auto choices = Choices(setting, channel);
    const auto index = MatchChoice(options.words[1 + used], choices);
    if (!index) return Usage(L"\"" + options.words[1 + used] + L"\" is not a choice here (see rkxsetup list)");
    const wchar_t* user = options.user ? options.user->c_str() : nullptr;
    const int notify = options.notify ? 1 : 0;
    const int value = static_cast<int>(*index);
    int result = QVR_FAILURE;
    if (setting == Setting::Input) result = QVR_SetUSBInputAudio2(kProduct, channel, value, user, notify);
    else if (setting == Setting::Output) result = QVR_SetUSBOutputAudio2(kProduct, channel, value, user, notify);
    else result = QVR_SetBoostLevelIndex2(kProduct, value, user, notify);
    if (result != QVR_SUCCESS && result != QVR_SUCCESS_WARNING) {
        PrintError(L"the library refused the change (" + Number(result) + L")");
        return kExitFailed;
    }
    PrintLine(L"set " + std::wstring(SettingName(setting)) + (setting == Setting::Boost ? L"" : L" " + Number(channel)) +
              L" to " + Number(value) + L"  " + choices[*index]);
    if (result == QVR_SUCCESS_WARNING) {
        const wchar_t* warning = nullptr;
        if (QVR_GetWarningTextForSetUSBAudioInput(kProduct, channel, result, kInstalledLanguage, &warning, 0) == QVR_SUCCESS)
            PrintLine(L"warning: " + Text(warning));
    }
    return kExitOk;
}

// Watching: callbacks run on this (the loading) thread while it retrieves messages.
uint32_t g_remaining = 0;

void Seen()
{
    if (g_remaining > 0 && --g_remaining == 0) PostQuitMessage(0);
}

int QVR_CALL OnInputAudio(int channel, int index, QVR_USER_VALUE)
{
    PrintLine(L"input audio changed: channel " + Number(channel) + L" index " + Number(index));
    Seen();
    return 0;
}

int QVR_CALL OnOutputAudio(int channel, int index, QVR_USER_VALUE)
{
    PrintLine(L"output audio changed: channel " + Number(channel) + L" index " + Number(index));
    Seen();
    return 0;
}

int QVR_CALL OnBoostLevel(int value, QVR_USER_VALUE)
{
    PrintLine(L"boost level changed: index " + Number(value));
    Seen();
    return 0;
}

int Watch(const Options& options)
{
    if (options.words.size() != 1) return Usage(L"watch takes no further words");
    g_remaining = options.count.value_or(0);
    if (QVR_RegisterInputAudioChangedCallback(kProduct, OnInputAudio, 0) != QVR_SUCCESS ||
        QVR_RegisterOutputAudioChangedCallback(kProduct, OnOutputAudio, 0) != QVR_SUCCESS ||
        QVR_RegisterBoostLevelChangedCallback(kProduct, OnBoostLevel, 0) != QVR_SUCCESS) {
        PrintError(L"the library refused the callbacks");
        return kExitFailed;
    }
    PrintLine(L"watching for changes");
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    QVR_UnregisterInputAudioChangedCallback(kProduct);
    QVR_UnregisterOutputAudioChangedCallback(kProduct);
    QVR_UnregisterBoostLevelChangedCallback(kProduct);
    return kExitOk;
}

}  // namespace

void PrintUsage()
{
    const wchar_t* kLines[] = {
        L"usage: rkxsetup COMMAND [options]",
        L"  status                        connection, firmware, certification, ports, selectors, partner software",
        L"  versions                      driver, utility, library and installer versions",
        L"  list                          the choices of every routing channel and of the boost level",
        L"  get input|output CH           current route of a channel (CH 0..2)",
        L"  get boost                     current boost level",
        L"  set input|output CH VALUE     change a route; VALUE is an index or its text",
        L"  set boost VALUE               change the boost level",
        L"  watch [--count N]             print each change as it is announced (N changes, or until stopped)",
        L"options:",
        L"  --user SID                    work on that user's settings under HKEY_USERS",
        L"  --no-notify                   change without announcing it to other programs",
        L"exit codes: 0 done, 1 the library or mixer failed, 2 wrong command line",
    };
    for (const wchar_t* line : kLines) PrintLine(line);
}

int RunCommand(const Options& options)
{
    if (options.words.empty()) return Usage(L"no command given");
    const std::wstring& command = options.words[0];
    if (command == L"help" || command == L"--help" || command == L"-h" || command == L"/?") {
        PrintUsage();
        return kExitOk;
    }
    const bool takesUser = command == L"get" || command == L"set";
    if (options.user && !takesUser) return Usage(L"--user applies to get and set only");
    if (!options.notify && command != L"set") return Usage(L"--no-notify applies to set only");
    if (options.count && command != L"watch") return Usage(L"--count applies to watch only");
    if (command == L"status") return options.words.size() == 1 ? ShowStatus() : Usage(L"status takes no further words");
    if (command == L"versions") return options.words.size() == 1 ? ShowVersions() : Usage(L"versions takes no further words");
    if (command == L"list") return options.words.size() == 1 ? ListAll() : Usage(L"list takes no further words");
    if (command == L"get") return GetSetting(options);
    if (command == L"set") return SetSetting(options);
    if (command == L"watch") return Watch(options);
    return Usage(L"unknown command \"" + command + L"\"");
}

}  // namespace rkx::mixersetup
