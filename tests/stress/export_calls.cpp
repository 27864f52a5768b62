#include "tests/stress/export_calls.h"

#include <atomic>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <initializer_list>

#include "common/user_sid.h"
#include "include/rkx_t2_setup.h"

namespace rkx::stress {
namespace {

constexpr int kProduct = QVR_PRODUCT_RKX_T2;
constexpr int kSentinel = -7;

std::atomic<uint64_t> g_heard{0};
int QVR_CALL HeardAudio(int, int, QVR_USER_VALUE) { return g_heard.fetch_add(1), 0; }
int QVR_CALL HeardValue(int, QVR_USER_VALUE) { return g_heard.fetch_add(1), 0; }

const int kEdges[] = {INT_MIN, INT_MIN + 1, -65536, -256, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 23, 24, 25,
                      99, 100, 101, 255, 256, 257, 65535, 65536, 0xB0000, INT_MAX - 1, INT_MAX};

int Product(Random& r)
{
    static const int kOthers[] = {10, 12, 0, -11, 11 + 65536, 11 + 256, 0x0B0B, INT_MIN, INT_MAX, 1, 99};
    if (r.Chance(75)) return kProduct;
    return r.Chance(80) ? r.Pick(kOthers) : int(r.Next());
}

int Integer(Random& r)
{
    if (r.Chance(15)) return int(r.Next());
    return r.Pick(kEdges);
}

// Mostly in the interesting range, now and then anything.
int Small(Random& r, int below) { return r.Chance(80) ? int(r.Below(uint32_t(below))) : Integer(r); }

template <class T>
T* Out(Random& r, T& storage)
{
    return r.Chance(8) ? nullptr : &storage;
}

const wchar_t* AnyText(Random& r, const TextPool& pool)
{
    if (r.Chance(5)) return nullptr;
    return pool.texts[r.Below(uint32_t(pool.texts.size()))].c_str();
}

// Null (the current user) half of the time, else the rig user or a text of the pool (mostly
// keys that are no user's SID).
const wchar_t* UserKey(Random& r, const TextPool& pool)
{
    if (r.Chance(50)) return nullptr;
    if (r.Chance(20)) return L"S-1-5-21-0-0-0-1000";
    return pool.texts[r.Below(uint32_t(pool.texts.size()))].c_str();
}

// A setter takes the current user (null) or a user's SID; any other key is out of range.
bool NamesAUser(const wchar_t* key) { return key == nullptr || rkx::IsUserSid(key); }

bool In(int code, std::initializer_list<int> allowed)
{
    for (int a : allowed)
        if (code == a) return true;
    return false;
}

// A text the library returned must be readable to its end within its buffer.
bool SaneText(const wchar_t* text, size_t limit) { return text != nullptr && wcsnlen(text, limit) < limit; }

std::string Describe(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Describe(const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    return text;
}

// The checks shared by every export that takes a product and an output.
std::string Common(int code, int product, bool outputNull, std::initializer_list<int> allowed)
{
    if (!In(code, allowed)) return Describe("result %d not allowed", code);
    if (product != kProduct && code != 102) return Describe("product %d answered %d", product, code);
    if (outputNull && code != 102) return Describe("null output answered %d", code);
    return {};
}

using Check = std::string (*)(Random&, const TextPool&);

struct Export {
    const char* name;
    Check run;
};

std::string AudioCountCheck(int code, int product, int channel, const int* count, int channels, const int* expected)
{
    std::string fault = Common(code, product, count == nullptr, {100, 102});
    if (!fault.empty()) return fault;
    const bool valid = product == kProduct && count != nullptr && channel >= 0 && channel < channels;
    if (valid != (code == 100)) return Describe("channel %d answered %d", channel, code);
    if (code == 100 && expected != nullptr && *count != expected[channel])
        return Describe("channel %d count %d", channel, *count);
    return {};
}

std::string TextCheck(int code, int product, const wchar_t** text, size_t limit)
{
    std::string fault = Common(code, product, text == nullptr, {100, 102});
    if (!fault.empty()) return fault;
    if (code == 100 && !SaneText(*text, limit)) return "success with an unreadable text";
    return {};
}

// Getters of stored settings: valid arguments always succeed with an in-range selection.
std::string SettingCheck(int code, int product, const int* out, bool channelValid, int below)
{
    std::string fault = Common(code, product, out == nullptr, {100, 102});
    if (!fault.empty()) return fault;
    const bool valid = product == kProduct && out != nullptr && channelValid;
    if (valid != (code == 100)) return Describe("valid=%d answered %d", valid, code);
    if (code == 100 && (*out < 0 || *out >= below)) return Describe("selection %d out of range", *out);
    return {};
}

std::string SetterCheck(int code, int product, bool valid, std::initializer_list<int> allowed)
{
    std::string fault = Common(code, product, false, allowed);
    if (!fault.empty()) return fault;
    if (!valid && code != 102) return Describe("invalid arguments answered %d", code);
    if (valid && code == 102) return "valid arguments refused";
    return {};
}

// The receive channel is compared as a signed number: below 0 and channel 3 read back as the
// channel itself.
std::string OutputSelectionCheck(int code, int product, int channel, const int* out)
{
    std::string fault = SettingCheck(code, product, out, channel < 4, 4);
    if (code == 100 && channel < 0 && out != nullptr && *out == channel) return {};
    if (code == 100 && (channel < 0 || channel == 3) && *out != channel) return Describe("channel %d read %d", channel, *out);
    return fault;
}

// Exports that answer 102 to everything and touch no output.
std::string Refused(int code, int out)
{
    if (code != 102) return Describe("answered %d", code);
    if (out != kSentinel) return "wrote its output";
    return {};
}

const int kInputCounts[] = {8, 8, 7};

const Export kExports[kExportCount] = {
    {"QVR_GetProductId",
     [](Random& r, const TextPool& p) -> std::string {
         static const wchar_t* kNames[] = {L"RKX-T2", L"rkx-t2 pro", L"RKX T2", L"xRkX-t2", L"RKX-T", L""};
         const wchar_t* name = r.Chance(30) ? r.Pick(kNames) : AnyText(r, p);
         int id = kSentinel;
         int* out = Out(r, id);
         const int code = QVR_GetProductId(name, out);
         if (!In(code, {100, 102})) return Describe("result %d", code);
         if ((name == nullptr || out == nullptr) && code != 102) return "null argument accepted";
         if (code == 100 && id != kProduct) return Describe("identifier %d", id);
         if (code == 102 && id != kSentinel) return "output written on failure";
         if (name != nullptr && std::wcscmp(name, L"RKX-T2") == 0 && out != nullptr && code != 100)
             return "the model name refused";
         if (name != nullptr && std::wcscmp(name, L"RKX T2") == 0 && code != 102) return "a wrong name accepted";
         return {};
     }},
    {"QVR_IsUSBConnection",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const int code = QVR_IsUSBConnection(product);
         if (!In(code, {103, 104})) return Describe("result %d", code);
         if (product != kProduct && code != 104) return Describe("product %d connected", product);
         return {};
     }},
    {"QVR_GetNumOfInputAudioIndex",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), channel = Small(r, 5);
         int count = kSentinel;
         int* out = Out(r, count);
         return AudioCountCheck(QVR_GetNumOfInputAudioIndex(product, channel, out), product, channel, out, 3,
                                kInputCounts);
     }},
    {"QVR_GetUSBInputAudioText",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const wchar_t* text = nullptr;
         const wchar_t** out = Out(r, text);
         return TextCheck(QVR_GetUSBInputAudioText(product, Small(r, 5), Small(r, 10), Integer(r), out), product, out,
                          256);
     }},
    {"QVR_GetCurrentUSBInputAudioIndex",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), channel = Small(r, 5);
         int index = kSentinel;
         int* out = Out(r, index);
         return SettingCheck(QVR_GetCurrentUSBInputAudioIndex(product, channel, out), product, out,
                             channel >= 0 && channel < 4, 8);
     }},
    {"QVR_GetCurrentUSBInputAudioIndex2",
     [](Random& r, const TextPool& p) -> std::string {
         const int product = Product(r), channel = Small(r, 5);
         int index = kSentinel;
         int* out = Out(r, index);
         return SettingCheck(QVR_GetCurrentUSBInputAudioIndex2(product, channel, out, UserKey(r, p)), product, out,
                             channel >= 0 && channel < 4, 8);
     }},
    {"QVR_SetUSBInputAudio",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), channel = Small(r, 4), index = Small(r, 9);
         const bool valid = product == kProduct && channel >= 0 && channel < 3 && index >= 0 && index < 8;
         return SetterCheck(QVR_SetUSBInputAudio(product, channel, index), product, valid, {100, 101, 102});
     }},
    {"QVR_SetUSBInputAudio2",
     [](Random& r, const TextPool& p) -> std::string {
         const int product = Product(r), channel = Small(r, 4), index = Small(r, 9);
         const wchar_t* key = UserKey(r, p);
         const bool valid =
             product == kProduct && channel >= 0 && channel < 3 && index >= 0 && index < 8 && NamesAUser(key);
         return SetterCheck(QVR_SetUSBInputAudio2(product, channel, index, key, r.Chance(50) ? 1 : 0), product, valid,
                            {100, 101, 102});
     }},
    {"QVR_SetUSBInputAudioDirect",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const int code = QVR_SetUSBInputAudioDirect(product, Small(r, 5), Integer(r), Small(r, 26));
         return Common(code, product, false, {100, 101, 102});
     }},
    {"QVR_GetWarningTextForSetUSBAudioInput",
     [](Random& r, const TextPool&) -> std::string {
         static const int kCodes[] = {100, 101, 102, 103, 0, -1};
         const int product = Product(r), resultCode = r.Pick(kCodes);
         const wchar_t* text = nullptr;
         const wchar_t** out = Out(r, text);
         const int code =
             QVR_GetWarningTextForSetUSBAudioInput(product, Small(r, 5), resultCode, Integer(r), out, Small(r, 4));
         std::string fault = TextCheck(code, product, out, 1024);
         if (fault.empty() && resultCode == 100 && code != 102) return "a warning text for success";
         return fault;
     }},
    {"QVR_GetNumOfOutputAudioIndex",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), channel = Small(r, 5);
         int count = kSentinel;
         int* out = Out(r, count);
         return AudioCountCheck(QVR_GetNumOfOutputAudioIndex(product, channel, out), product, channel, out, 3, nullptr);
     }},
    {"QVR_GetUSBOutputAudioText",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const wchar_t* text = nullptr;
         const wchar_t** out = Out(r, text);
         return TextCheck(QVR_GetUSBOutputAudioText(product, Small(r, 5), Small(r, 5), Integer(r), out), product, out,
                          256);
     }},
    {"QVR_GetCurrentUSBOutputAudioIndex",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), channel = Small(r, 5);
         int index = kSentinel;
         int* out = Out(r, index);
         return OutputSelectionCheck(QVR_GetCurrentUSBOutputAudioIndex(product, channel, out), product, channel, out);
     }},
    {"QVR_GetCurrentUSBOutputAudioIndex2",
     [](Random& r, const TextPool& p) -> std::string {
         const int product = Product(r), channel = Small(r, 5);
         int index = kSentinel;
         int* out = Out(r, index);
         return OutputSelectionCheck(QVR_GetCurrentUSBOutputAudioIndex2(product, channel, out, UserKey(r, p)), product, channel, out);
     }},
    {"QVR_SetUSBOutputAudio",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), channel = Small(r, 4), index = Small(r, 4);
         const bool valid = product == kProduct && channel >= 0 && channel < 3 && index >= 0 && index < 3;
         return SetterCheck(QVR_SetUSBOutputAudio(product, channel, index), product, valid, {100, 102});
     }},
    {"QVR_SetUSBOutputAudio2",
     [](Random& r, const TextPool& p) -> std::string {
         const int product = Product(r), channel = Small(r, 4), index = Small(r, 4);
         const wchar_t* key = UserKey(r, p);
         const bool valid =
             product == kProduct && channel >= 0 && channel < 3 && index >= 0 && index < 3 && NamesAUser(key);
         return SetterCheck(QVR_SetUSBOutputAudio2(product, channel, index, key, r.Chance(50) ? 1 : 0), product, valid,
                            {100, 102});
     }},
    {"QVR_SetUSBOutputAudioDefault",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), channel = Small(r, 4);
         const bool valid = product == kProduct && channel >= 0 && channel < 3;
         return SetterCheck(QVR_SetUSBOutputAudioDefault(product, channel), product, valid, {100, 102});
     }},
    {"QVR_GetNumOfBoostLevelIndex",
     [](Random& r, const TextPool&) -> std::string {
         static const int kFour[] = {4};
         const int product = Product(r);
         int count = kSentinel;
         int* out = Out(r, count);
         return AudioCountCheck(QVR_GetNumOfBoostLevelIndex(product, out), product, 0, out, 1, kFour);
     }},
    {"QVR_GetBoostLevelText",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), index = Small(r, 5);
         const wchar_t* text = nullptr;
         const wchar_t** out = Out(r, text);
         const int code = QVR_GetBoostLevelText(product, index, Integer(r), out);
         std::string fault = TextCheck(code, product, out, 256);
         const bool valid = product == kProduct && out != nullptr && index >= 0 && index < 4;
         if (fault.empty() && valid != (code == 100)) return Describe("index %d answered %d", index, code);
         return fault;
     }},
    {"QVR_GetCurrentBoostLevelIndex",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         int index = kSentinel;
         int* out = Out(r, index);
         return SettingCheck(QVR_GetCurrentBoostLevelIndex(product, out), product, out, true, 4);
     }},
    {"QVR_GetCurrentBoostLevelIndex2",
     [](Random& r, const TextPool& p) -> std::string {
         const int product = Product(r);
         int index = kSentinel;
         int* out = Out(r, index);
         return SettingCheck(QVR_GetCurrentBoostLevelIndex2(product, out, UserKey(r, p)), product, out, true, 4);
     }},
    {"QVR_SetBoostLevelIndex",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r), index = Small(r, 5);
         const bool valid = product == kProduct && index >= 0 && index < 4;
         return SetterCheck(QVR_SetBoostLevelIndex(product, index), product, valid, {100, 102});
     }},
    {"QVR_SetBoostLevelIndex2",
     [](Random& r, const TextPool& p) -> std::string {
         const int product = Product(r), index = Small(r, 5);
         const wchar_t* key = UserKey(r, p);
         const bool valid = product == kProduct && index >= 0 && index < 4 && NamesAUser(key);
         return SetterCheck(QVR_SetBoostLevelIndex2(product, index, key, r.Chance(50) ? 1 : 0), product, valid,
                            {100, 102});
     }},
    {"QVR_GetNumOfMidiChannelIndex",
     [](Random& r, const TextPool&) -> std::string {
         int out = kSentinel;
         return Refused(QVR_GetNumOfMidiChannelIndex(Product(r), Out(r, out)), out);
     }},
    {"QVR_GetMidiChannelText",
     [](Random& r, const TextPool&) -> std::string {
         const wchar_t* text = nullptr;
         const int code = QVR_GetMidiChannelText(Product(r), Small(r, 17), Integer(r), Out(r, text));
         return Refused(code, text == nullptr ? kSentinel : 0);
     }},
    {"QVR_GetCurrentMidiChannelIndex",
     [](Random& r, const TextPool&) -> std::string {
         int out = kSentinel;
         return Refused(QVR_GetCurrentMidiChannelIndex(Product(r), Out(r, out)), out);
     }},
    {"QVR_GetCurrentMidiChannelIndex2",
     [](Random& r, const TextPool& p) -> std::string {
         int out = kSentinel;
         return Refused(QVR_GetCurrentMidiChannelIndex2(Product(r), Out(r, out), UserKey(r, p)), out);
     }},
    {"QVR_SetMidiChannelIndex",
     [](Random& r, const TextPool&) -> std::string { return Refused(QVR_SetMidiChannelIndex(Product(r), Small(r, 17)), kSentinel); }},
    {"QVR_SetMidiChannelIndex2",
     [](Random& r, const TextPool& p) -> std::string {
         return Refused(QVR_SetMidiChannelIndex2(Product(r), Small(r, 17), UserKey(r, p), Integer(r)), kSentinel);
     }},
    {"QVR_GetNumOfMidiKeyModeIndex",
     [](Random& r, const TextPool&) -> std::string {
         int out = kSentinel;
         return Refused(QVR_GetNumOfMidiKeyModeIndex(Product(r), Out(r, out)), out);
     }},
    {"QVR_GetMidiKeyModeText",
     [](Random& r, const TextPool&) -> std::string {
         const wchar_t* text = nullptr;
         const int code = QVR_GetMidiKeyModeText(Product(r), Small(r, 5), Integer(r), Out(r, text));
         return Refused(code, text == nullptr ? kSentinel : 0);
     }},
    {"QVR_GetCurrentMidiKeyModeIndex",
     [](Random& r, const TextPool&) -> std::string {
         int out = kSentinel;
         return Refused(QVR_GetCurrentMidiKeyModeIndex(Product(r), Out(r, out)), out);
     }},
    {"QVR_GetCurrentMidiKeyModeIndex2",
     [](Random& r, const TextPool& p) -> std::string {
         int out = kSentinel;
         return Refused(QVR_GetCurrentMidiKeyModeIndex2(Product(r), Out(r, out), UserKey(r, p)), out);
     }},
    {"QVR_SetMidiKeyModeIndex",
     [](Random& r, const TextPool&) -> std::string { return Refused(QVR_SetMidiKeyModeIndex(Product(r), Small(r, 5)), kSentinel); }},
    {"QVR_SetMidiKeyModeIndex2",
     [](Random& r, const TextPool& p) -> std::string {
         return Refused(QVR_SetMidiKeyModeIndex2(Product(r), Small(r, 5), UserKey(r, p), Integer(r)), kSentinel);
     }},
    {"QVR_GetDriverVersionText",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const wchar_t* text = nullptr;
         const wchar_t** out = Out(r, text);
         return TextCheck(QVR_GetDriverVersionText(product, out), product, out, 256);
     }},
    {"QVR_GetUtilityVersionText",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const wchar_t* text = nullptr;
         const wchar_t** out = Out(r, text);
         return TextCheck(QVR_GetUtilityVersionText(product, out), product, out, 256);
     }},
    {"QVR_GetLibraryVersionText",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const wchar_t* text = nullptr;
         const wchar_t** out = Out(r, text);
         return TextCheck(QVR_GetLibraryVersionText(product, out), product, out, 256);
     }},
    {"QVR_GetInstallerVersionText",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const wchar_t* text = nullptr;
         const wchar_t** out = Out(r, text);
         return TextCheck(QVR_GetInstallerVersionText(product, out), product, out, 256);
     }},
    {"QVR_GetFirmwareVersion",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         int version = kSentinel;
         int* out = Out(r, version);
         return Common(QVR_GetFirmwareVersion(product, Small(r, 3), out), product, out == nullptr, {100, 102});
     }},
    {"QVR_GetMixerCertifyLevel",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         int level = kSentinel;
         int* out = Out(r, level);
         return Common(QVR_GetMixerCertifyLevel(product, out), product, out == nullptr, {100, 102});
     }},
    {"QVR_GetPortInfo",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         int port = kSentinel;
         int* out = Out(r, port);
         return Common(QVR_GetPortInfo(product, out), product, out == nullptr, {100, 102});
     }},
    {"QVR_GetMixerInputSelectorStatus",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         int position = kSentinel;
         int* out = Out(r, position);
         return Common(QVR_GetMixerInputSelectorStatus(product, Small(r, 5), out), product, out == nullptr, {100, 102});
     }},
    {"QVR_GetMixerVantorActiveStatus",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         int active = kSentinel;
         int* out = Out(r, active);
         return Common(QVR_GetMixerVantorActiveStatus(product, out), product, out == nullptr, {100, 102});
     }},
    {"QVR_RegisterInputAudioChangedCallback",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const int code = QVR_RegisterInputAudioChangedCallback(product, r.Chance(80) ? HeardAudio : nullptr,
                                                                QVR_USER_VALUE(r.Next()));
         return SetterCheck(code, product, product == kProduct, {100, 102});
     }},
    {"QVR_RegisterOutputAudioChangedCallback",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const int code = QVR_RegisterOutputAudioChangedCallback(product, r.Chance(80) ? HeardAudio : nullptr,
                                                                 QVR_USER_VALUE(r.Next()));
         return SetterCheck(code, product, product == kProduct, {100, 102});
     }},
    {"QVR_RegisterBoostLevelChangedCallback",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         const int code = QVR_RegisterBoostLevelChangedCallback(product, r.Chance(80) ? HeardValue : nullptr,
                                                                QVR_USER_VALUE(r.Next()));
         return SetterCheck(code, product, product == kProduct, {100, 102});
     }},
    {"QVR_UnregisterInputAudioChangedCallback",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         return SetterCheck(QVR_UnregisterInputAudioChangedCallback(product), product, product == kProduct, {100, 102});
     }},
    {"QVR_UnregisterOutputAudioChangedCallback",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         return SetterCheck(QVR_UnregisterOutputAudioChangedCallback(product), product, product == kProduct, {100, 102});
     }},
    {"QVR_UnregisterBoostLevelChangedCallback",
     [](Random& r, const TextPool&) -> std::string {
         const int product = Product(r);
         return SetterCheck(QVR_UnregisterBoostLevelChangedCallback(product), product, product == kProduct, {100, 102});
     }},
    {"QVR_RegisterMidiChannelChangedCallback",
     [](Random& r, const TextPool&) -> std::string {
         return Refused(QVR_RegisterMidiChannelChangedCallback(Product(r), HeardValue, 1), kSentinel);
     }},
    {"QVR_UnregisterMidiChannelChangedCallback",
     [](Random& r, const TextPool&) -> std::string { return Refused(QVR_UnregisterMidiChannelChangedCallback(Product(r)), kSentinel); }},
    {"QVR_RegisterMidiKeyModeChangedCallback",
     [](Random& r, const TextPool&) -> std::string {
         return Refused(QVR_RegisterMidiKeyModeChangedCallback(Product(r), HeardValue, 1), kSentinel);
     }},
    {"QVR_UnregisterMidiKeyModeChangedCallback",
     [](Random& r, const TextPool&) -> std::string { return Refused(QVR_UnregisterMidiKeyModeChangedCallback(Product(r)), kSentinel); }},
};

std::wstring Repeat(const wchar_t* unit, size_t chars)
{
    std::wstring text;
    while (text.size() < chars) text += unit;
    text.resize(chars);
    return text;
}

}  // namespace

TextPool::TextPool()
{
    static const wchar_t kOdd[] = {0xD800, 0xDFFF, 0xFFFF, 0xFFFE, 0x0130, 0x00DF, 0x0301, 0xFEFF, 0x0001, L'\\', L'/',
                                   L'%',   L'?',   L'*',   0x202E, 0xDBFF};
    for (size_t length : {size_t(0), size_t(1), size_t(5), size_t(6), size_t(254), size_t(255), size_t(256),
                          size_t(259), size_t(260), size_t(261), size_t(1023), size_t(1024), size_t(65535),
                          size_t(100000)}) {
        texts.push_back(Repeat(L"x", length));
        std::wstring odd;
        for (size_t i = 0; i < length; ++i) odd += kOdd[(i * 7 + length) % (sizeof(kOdd) / sizeof(kOdd[0]))];
        texts.push_back(odd);
        // The model name at the very edge of what is searched.
        if (length >= 6) texts.push_back(Repeat(L"y", length - 6) + L"rkx-t2");
    }
    for (const wchar_t* key : {L"S-1-5-21-0-0-0-1000\\Software", L"S-1-5-21-0-0-0-1000\\..\\..", L".DEFAULT",
                               L"S-1-5-21-9-9-9-9", L"S-1-5-21-0-0-0-1000 ", L"\\", L"..", L"S-1",
                               L"RKX-T2", L"rkx-t2", L"\xD800RKX-T2", L"RK\x0130X-T2"})
        texts.push_back(key);
}

const char* ExportName(int which) { return kExports[which].name; }

void CallExport(int which, Random& random, const TextPool& pool, ExportTally& tally)
{
    std::string fault = kExports[which].run(random, pool);
    ++tally.calls;
    if (!fault.empty()) {
        ++tally.offContract;
        if (tally.firstFault.empty()) tally.firstFault = std::string(kExports[which].name) + ": " + fault;
    }
}

}  // namespace rkx::stress
