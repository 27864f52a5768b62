// What the driver shares with the settings utility: "blockNum", the streaming mutex and the
// control panel that starts the utility and waits for it to close.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "asio/build_identity.h"
#include "asio/mmp_asio.h"
#include "common/package_names.h"
#include "common/unique_registry_key.h"

namespace rkx::asio {
namespace {

constexpr int kDefaultBlockNum = 4;
constexpr size_t kAutoSwitchChars = 5;  // "-Auto"

bool ReadLaunchFlag(DWORD& value)
{
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, names::kSettingsKeyPath, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key.get(), names::kAsioConfigLaunchValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&data),
                         &size) != ERROR_SUCCESS ||
        size != sizeof(data)) {
        return false;
    }
    value = data;
    return true;
}

bool WriteLaunchFlag(DWORD value)
{
    UniqueKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, names::kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.receive(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExA(key.get(), names::kAsioConfigLaunchValue, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

// The utility's program path: "AsioConfig" without its trailing switch; empty when missing
// or too short to hold the switch.
bool ConfigProgram(char (&program)[kPathBytes])
{
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Build().configKeyPath, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) {
        return false;
    }
    char text[kPathBytes + 1] = {};
    DWORD size = kPathBytes;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), names::kAsioConfigValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    text[size < kPathBytes ? size : kPathBytes] = '\0';
    const size_t length = std::strlen(text);
    if (length < kAutoSwitchChars) return false;
    text[length - kAutoSwitchChars] = '\0';
    std::snprintf(program, sizeof(program), "%s", text);
    return true;
}

}  // namespace

int MMPAsio::ReadBlockNum()
{
    UniqueKey software;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, names::kSoftwareKey, 0, KEY_ALL_ACCESS, software.receive()) != ERROR_SUCCESS) {
        return kDefaultBlockNum;
    }
    UniqueKey key;
    if (RegOpenKeyExA(software.get(), Build().asioKeyName, 0, KEY_ALL_ACCESS, key.receive()) == ERROR_SUCCESS) {
        DWORD value = 0;
        DWORD size = sizeof(value);
        DWORD type = 0;
        // Four bytes of another type (REG_BINARY, REG_NONE) are no setting either.
        if (RegQueryValueExA(key.get(), names::kBlockNumValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                             &size) != ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof(value) || value < 1 || value > 64) {
            return kDefaultBlockNum;
        }
        return int(value);
    }
    if (RegCreateKeyExA(software.get(), Build().asioKeyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(),
                        nullptr) == ERROR_SUCCESS) {
        const DWORD value = kDefaultBlockNum;
        RegSetValueExA(key.get(), names::kBlockNumValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value));
    }
    return kDefaultBlockNum;
}

bool MMPAsio::StreamingMutexExists()
{
    rkx::UniqueHandle mutex(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, Build().streamingMutexName));
    return mutex.valid();
}

ASIOError MMPAsio::controlPanel()
{
    char program[kPathBytes] = {};
    // Without a usable command line nothing is started and there is nothing to wait for.
    if (!ConfigProgram(program)) return ASE_OK;
    ShellExecuteA(nullptr, "open", program, nullptr, nullptr, SW_SHOWNORMAL);
    WriteLaunchFlag(1);
    DWORD reading = 1;
    MSG message;
    while (!destroying) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (message.message == WM_PAINT) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        ReadLaunchFlag(reading);
        if (reading == 0) break;
    }
    return ASE_OK;
}

}  // namespace rkx::asio
