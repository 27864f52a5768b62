#include "asio/registration.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>

#include "asio/build_identity.h"
#include "common/unique_registry_key.h"

namespace rkx::asio {
namespace {

constexpr int kPathChars = 360;
constexpr int kFailCreateKey = -105;
constexpr int kFailWriteValue = -106;

struct DriverTexts {
    char modulePath[kPathChars];
    char classIdText[100];
};

bool KeyExists(HKEY root, const char* path)
{
    UniqueKey key;
    return RegOpenKeyA(root, path, key.receive()) == ERROR_SUCCESS;
}

// Creates parent\name (succeeds at once when it exists).
bool CreateSubkey(HKEY root, const char* parent, const char* name)
{
    char full[kPathChars * 2];
    std::snprintf(full, sizeof(full), "%s\\%s", parent, name);
    if (KeyExists(root, full)) return true;
    UniqueKey parentKey;
    if (RegOpenKeyA(root, parent, parentKey.receive()) != ERROR_SUCCESS) return false;
    UniqueKey created;
    return RegCreateKeyA(parentKey.get(), name, created.receive()) == ERROR_SUCCESS;
}

// REG_SZ without its terminating zero, as every reader of these keys expects.
bool SetString(HKEY root, const char* path, const char* valueName, const char* text)
{
    UniqueKey key;
    if (RegOpenKeyA(root, path, key.receive()) != ERROR_SUCCESS) return false;
    return RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          DWORD(std::strlen(text))) == ERROR_SUCCESS;
}

// Deletes parent\name and all its descendants, deepest first.
void DeleteKeyTree(HKEY root, const char* parent, const char* name)
{
    UniqueKey parentKey;
    if (RegOpenKeyA(root, parent, parentKey.receive()) != ERROR_SUCCESS) return;
    UniqueKey key;
    if (RegOpenKeyExA(parentKey.get(), name, 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) return;
    char path[kPathChars * 2];
    std::snprintf(path, sizeof(path), "%s\\%s", parent, name);
    char child[kPathChars + 1];
    // Always the first remaining child, since deleting shifts the indices; a child that
    // survives its deletion ends the walk instead of looping.
    while (RegEnumKeyA(key.get(), 0, child, sizeof(child)) == ERROR_SUCCESS) {
        DeleteKeyTree(root, path, child);
        char again[kPathChars + 1];
        if (RegEnumKeyA(key.get(), 0, again, sizeof(again)) == ERROR_SUCCESS && std::strcmp(again, child) == 0) break;
    }
    key.reset();
    RegDeleteKeyA(parentKey.get(), name);
}

int DriverKeyTexts(DriverTexts& texts)
{
    const BuildIdentity& build = Build();
    HMODULE module = GetModuleHandleA(build.moduleName);
    if (module == nullptr) return -101;
    const DWORD length = GetModuleFileNameA(module, texts.modulePath, kPathChars);
    if (length == 0 || length >= DWORD(kPathChars) || texts.modulePath[0] == '\0') return -102;
    CharLowerA(texts.modulePath);
    LPOLESTR wide = nullptr;
    if (FAILED(StringFromCLSID(build.classId, &wide)) || wide == nullptr) return -103;
    const int converted =
        WideCharToMultiByte(CP_ACP, 0, wide, -1, texts.classIdText, sizeof(texts.classIdText), nullptr, nullptr);
    CoTaskMemFree(wide);
    if (converted == 0) return -104;
    return 0;
}

HRESULT ReportFailure(const char* format, int result)
{
    char text[128];
    std::snprintf(text, sizeof(text), format, result);
    MessageBoxA(nullptr, text, Build().asioKeyName, MB_OK);
    return HRESULT(-1);
}

}  // namespace

int RegisterDriverKeys()
{
    const BuildIdentity& build = Build();
    DriverTexts texts{};
    if (const int result = DriverKeyTexts(texts); result != 0) return result;

    char classKey[160];
    std::snprintf(classKey, sizeof(classKey), "CLSID\\%s", texts.classIdText);
    char serverKey[200];
    std::snprintf(serverKey, sizeof(serverKey), "%s\\InprocServer32", classKey);

    bool classKeysCurrent = false;
    if (KeyExists(HKEY_CLASSES_ROOT, classKey)) {
        char registered[kPathChars] = {};
        LONG size = sizeof(registered) - 1;
        if (RegQueryValueA(HKEY_CLASSES_ROOT, serverKey, registered, &size) == ERROR_SUCCESS) {
            CharLowerA(registered);
            classKeysCurrent = std::strcmp(registered, texts.modulePath) == 0;
        }
        if (!classKeysCurrent) DeleteKeyTree(HKEY_CLASSES_ROOT, "CLSID", texts.classIdText);
    }
    if (!classKeysCurrent) {
        if (!CreateSubkey(HKEY_CLASSES_ROOT, "CLSID", texts.classIdText)) return kFailCreateKey;
        if (!SetString(HKEY_CLASSES_ROOT, classKey, nullptr, build.driverName)) return kFailWriteValue;
        if (!CreateSubkey(HKEY_CLASSES_ROOT, classKey, "InprocServer32")) return kFailCreateKey;
        if (!SetString(HKEY_CLASSES_ROOT, serverKey, nullptr, texts.modulePath)) return kFailWriteValue;
        if (!SetString(HKEY_CLASSES_ROOT, serverKey, "ThreadingModel", build.threadingModel)) {
            return kFailWriteValue;
        }
    }

    if (KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO")) {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO", build.asioKeyName);
    } else if (!CreateSubkey(HKEY_LOCAL_MACHINE, "SOFTWARE", "ASIO")) {
        return kFailCreateKey;
    }
    if (!CreateSubkey(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO", build.asioKeyName)) return kFailCreateKey;
    char asioKey[160];
    std::snprintf(asioKey, sizeof(asioKey), "SOFTWARE\\ASIO\\%s", build.asioKeyName);
    if (!SetString(HKEY_LOCAL_MACHINE, asioKey, "CLSID", texts.classIdText)) return kFailWriteValue;
    if (!SetString(HKEY_LOCAL_MACHINE, asioKey, "Description", build.driverName)) return kFailWriteValue;
    return 0;
}

int UnregisterDriverKeys()
{
    DriverTexts texts{};
    if (const int result = DriverKeyTexts(texts); result != 0) return result;
    char classKey[160];
    std::snprintf(classKey, sizeof(classKey), "CLSID\\%s", texts.classIdText);
    if (KeyExists(HKEY_CLASSES_ROOT, classKey)) DeleteKeyTree(HKEY_CLASSES_ROOT, "CLSID", texts.classIdText);
    if (!KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO")) return 0;
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO", Build().asioKeyName);
    return 0;
}

HRESULT RegisterServer()
{
    const int result = RegisterDriverKeys();
    return result == 0 ? S_OK : ReportFailure("Register Server failed ! (%d)", result);
}

HRESULT UnregisterServer()
{
    const int result = UnregisterDriverKeys();
    return result == 0 ? S_OK : ReportFailure("Unregister Server failed ! (%d)", result);
}

}  // namespace rkx::asio
