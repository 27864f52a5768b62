#include "tools/mixersetup/commands.h"

#include <windows.h>

#include <string>
#include <vector>

#include "include/rkx_t2_setup.h"
#include "tools/mixersetup/output.h"

namespace rkx::mixersetup {
namespace {

constexpr int kProduct = QVR_PRODUCT_RKX_T2;
constexpr uint32_t kDirectSourceMax = 15;  // the route word keeps four bits of the source
constexpr uint32_t kDirectModeMax = 24;
constexpr int kInstalledLanguage = QVR_LANGUAGE_INSTALLED;

enum class Setting { Input, Output, Boost };

std::wstring Number(long long value) { return std::to_wstring(value); }

std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L"(none)"; }

// The library's filler for indexes a channel does not have.
constexpr wchar_t kNoChoice[] = L"PARAM ERROR";

// The choices of one setting as the library lists them. A send channel without a count (the
// FX SEND channel, which can be read but not set) lists the texts the library has for it.
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
        if (QVR_GetNumOfInputAudioIndex(kProduct, channel, &count) == QVR_SUCCESS) {
            for (int i = 0; i < count; ++i)
                choices.push_back(QVR_GetUSBInputAudioText(kProduct, channel, i, kInstalledLanguage, &text) == QVR_SUCCESS ? Text(text) : L"?");
            return choices;
        }
        for (int i = 0; QVR_GetUSBInputAudioText(kProduct, channel, i, kInstalledLanguage, &text) == QVR_SUCCESS; ++i) {
            if (text == nullptr || std::wstring(text) == kNoChoice) break;
            choices.push_back(text);
        }
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

// Channels as the settings utility labels them: 1 to 3 (DECK 1/A, DECK 2/B, SAMPLER or REC,
// on USB1/2, USB3/4, USB5/6); send channel 4 is FX SEND. The library counts from 0.
constexpr int kChannels = 3;
constexpr int kFxSendChannel = 4;

int ChannelCount(Setting setting, bool reading) { return setting == Setting::Input && reading ? kFxSendChannel : kChannels; }

// "input CH", "output CH" or "boost": which setting, and the library's channel; sets `used`
// words. `reading`: the FX SEND channel may be named.
bool ParseSetting(const std::vector<std::wstring>& words, size_t first, bool reading, Setting& setting, int& channel,
                  size_t& used, std::wstring& error)
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
    const int channels = ChannelCount(setting, reading);
    const std::wstring range = channels == kFxSendChannel ? L"1, 2, 3 or 4" : L"1, 2 or 3";
    if (first + 1 >= words.size()) {
        error = name + L" needs a channel: " + range;
        return false;
    }
    const auto parsed = ParseIndex(words[first + 1], static_cast<uint32_t>(channels));
    if (!parsed || *parsed == 0) {
        const bool fxSend = setting == Setting::Input && words[first + 1] == L"4";
        error = fxSend ? L"input 4 (FX SEND) is changed only directly: rkxsetup direct 4 SOURCE MODE"
                       : L"channel \"" + words[first + 1] + L"\" is not " + range;
        return false;
    }
    channel = static_cast<int>(*parsed) - 1;
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
    for (int channel = 0; channel < kChannels; ++channel) {
        const bool known = QVR_GetMixerInputSelectorStatus(kProduct, channel, &value) == QVR_SUCCESS;
        PrintLine(L"selector " + Number(channel + 1) + L": " +
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
    bool anyKnown = false;
    for (const auto& version : kVersions) {
        const wchar_t* text = nullptr;
        const bool known = version.get(kProduct, &text) == QVR_SUCCESS && text != nullptr;
        anyKnown = anyKnown || known;
        PrintLine(std::wstring(version.name) + L": " + (known ? std::wstring(text) : std::wstring(L"unavailable")));
    }
    // Nothing read at all is a failure a script must see, not an answer.
    return anyKnown ? kExitOk : kExitFailed;
}

void ListSetting(Setting setting, int channel)
{
    std::wstring title = SettingName(setting);
    if (setting != Setting::Boost) title += L" " + Number(channel + 1);
    if (setting == Setting::Input && channel + 1 == kFxSendChannel) title += L" (read only; changed with direct)";
    PrintLine(title + L":");
    const auto choices = Choices(setting, channel);
    for (size_t i = 0; i < choices.size(); ++i) PrintLine(L"  " + Number(static_cast<long long>(i)) + L"  " + choices[i]);
}

int ListAll()
{
    for (int channel = 0; channel < kFxSendChannel; ++channel) ListSetting(Setting::Input, channel);
    for (int channel = 0; channel < kChannels; ++channel) ListSetting(Setting::Output, channel);
    ListSetting(Setting::Boost, 0);
    return kExitOk;
}

int GetSetting(const Options& options)
{
    Setting setting{};
    int channel = 0;
    size_t used = 0;
    std::wstring error;
    if (!ParseSetting(options.words, 1, true, setting, channel, used, error)) return Usage(error);
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

std::wstring SettingTitle(Setting setting, int channel)
{
    return std::wstring(SettingName(setting)) + (setting == Setting::Boost ? L"" : L" " + Number(channel + 1));
}

// The mixer's receive route back to its default; nothing is stored or announced.
int SetOutputDefault(int channel)
{
    const int result = QVR_SetUSBOutputAudioDefault(kProduct, channel);
    if (result != QVR_SUCCESS) {
        PrintError(L"the library refused the change (" + Number(result) + L")");
        return kExitFailed;
    }
    PrintLine(L"set " + SettingTitle(Setting::Output, channel) + L" to its default on the mixer (nothing stored)");
    return kExitOk;
}

void PrintWarning(int channel, int result)
{
    const wchar_t* warning = nullptr;
    if (QVR_GetWarningTextForSetUSBAudioInput(kProduct, channel, result, kInstalledLanguage, &warning, 0) == QVR_SUCCESS)
        PrintLine(L"warning: " + Text(warning));
}

int SetSetting(const Options& options)
{
    Setting setting{};
    int channel = 0;
    size_t used = 0;
    std::wstring error;
    if (!ParseSetting(options.words, 1, false, setting, channel, used, error)) return Usage(error);
    if (options.words.size() != 2 + used) return Usage(L"set needs one value: an index or its text (see rkxsetup list)");
    const std::wstring& wanted = options.words[1 + used];
    if (setting == Setting::Output && wanted == L"default") {
        if (options.user || !options.notify) return Usage(L"a default route is neither stored nor announced");
        return SetOutputDefault(channel);
    }
    const auto choices = Choices(setting, channel);
    const auto index = MatchChoice(wanted, choices);
    if (!index) return Usage(L"\"" + wanted + L"\" is not a choice here (see rkxsetup list)");
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
    PrintLine(L"set " + SettingTitle(setting, channel) + L" to " + Number(value) + L"  " + choices[*index]);
    if (result == QVR_SUCCESS_WARNING) PrintWarning(channel, result);
    return kExitOk;
}

// "direct CH SOURCE MODE": the raw route word to the mixer, for every send channel including
// FX SEND; nothing is stored or announced.
int SetDirect(const Options& options)
{
    const auto& words = options.words;
    if (words.size() != 4) return Usage(L"direct needs a channel (1 to 4), a source (0 to 15) and a mode (0 to 24)");
    const auto channel = ParseIndex(words[1], kFxSendChannel);
    if (!channel || *channel == 0) return Usage(L"channel \"" + words[1] + L"\" is not 1, 2, 3 or 4");
    const auto source = ParseIndex(words[2], kDirectSourceMax);
    if (!source) return Usage(L"source \"" + words[2] + L"\" is not 0 to 15");
    const auto mode = ParseIndex(words[3], kDirectModeMax);
    if (!mode) return Usage(L"mode \"" + words[3] + L"\" is not 0 to 24");
    const int libraryChannel = static_cast<int>(*channel) - 1;
    const int result =
        QVR_SetUSBInputAudioDirect(kProduct, libraryChannel, static_cast<int>(*source), static_cast<int>(*mode));
    if (result != QVR_SUCCESS && result != QVR_SUCCESS_WARNING) {
        PrintError(L"the library refused the change (" + Number(result) + L")");
        return kExitFailed;
    }
    PrintLine(L"sent input " + Number(*channel) + L" source " + Number(*source) + L" mode " + Number(*mode) +
              L" to the mixer (nothing stored)");
    if (result == QVR_SUCCESS_WARNING) PrintWarning(libraryChannel, result);
    return kExitOk;
}

// A user key names a hive that must be there: a mistyped or absent user would otherwise read
// defaults and store nothing, while the change looks made.
bool UserHiveExists(const std::wstring& sid)
{
    HKEY hive = nullptr;
    if (RegOpenKeyExW(HKEY_USERS, sid.c_str(), 0, KEY_READ, &hive) != ERROR_SUCCESS) return false;
    RegCloseKey(hive);
    return true;
}

// Watching: callbacks run on this (the loading) thread while it retrieves messages.
uint32_t g_remaining = 0;

void Seen()
{
    if (g_remaining > 0 && --g_remaining == 0) PostQuitMessage(0);
}

int QVR_CALL OnInputAudio(int channel, int index, QVR_USER_VALUE)
{
    PrintLine(L"input audio changed: channel " + Number(channel + 1) + L" index " + Number(index));
    Seen();
    return 0;
}

int QVR_CALL OnOutputAudio(int channel, int index, QVR_USER_VALUE)
{
    PrintLine(L"output audio changed: channel " + Number(channel + 1) + L" index " + Number(index));
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
        L"  get input CH                  current route of a send channel (CH 1..3, 4 for FX SEND)",
        L"  get output CH                 current route of a receive channel (CH 1..3)",
        L"  get boost                     current boost level",
        L"  set input|output CH VALUE     change a route (CH 1..3); VALUE is an index or its text",
        L"  set output CH default         the mixer's default route for the channel, not stored",
        L"  set boost VALUE               change the boost level",
        L"  direct CH SOURCE MODE         a send channel's raw route (CH 1..4), not stored",
        L"  watch [--count N]             print each change as it is announced (N changes, or until stopped)",
        L"channels are numbered as the settings utility shows them: 1 DECK 1/A (USB1/2), 2 DECK 2/B (USB3/4),",
        L"  3 SAMPLER or REC (USB5/6), 4 FX SEND",
        L"options:",
        L"  --user SID                    work on that user's settings under HKEY_USERS (the user's SID)",
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
    if (options.user && !UserHiveExists(*options.user))
        return Usage(L"no settings of user " + *options.user + L" on this computer (is the SID right, the user logged on?)");
    if (command == L"get") return GetSetting(options);
    if (command == L"set") return SetSetting(options);
    if (command == L"direct") return SetDirect(options);
    if (command == L"watch") return Watch(options);
    return Usage(L"unknown command \"" + command + L"\"");
}

}  // namespace rkx::mixersetup
