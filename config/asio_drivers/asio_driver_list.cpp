#include "asio_drivers/asio_driver_list.h"

#include "common/unique_registry_key.h"

#include <objbase.h>

#include <cstring>

namespace config {
namespace {

constexpr DWORD kListKeyNameBytes = 128;
constexpr DWORD kClassTextBytes = 256;

// A string value of at most `capacity` - 1 bytes, terminated; false when missing, of another
// type or longer.
bool ReadString(HKEY key, const char* name, char* buffer, DWORD capacity)
{
    DWORD type = 0;
    DWORD size = capacity - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    buffer[size < capacity ? size : capacity - 1] = '\0';
    return true;
}

// The whole of a string value however long it is; false when missing or of another type.
bool ReadWholeString(HKEY key, const char* name, std::vector<char>& text)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text.assign(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return false;
    text[size < text.size() ? size : text.size() - 1] = '\0';
    return true;
}

// Copies `source` into a name field. A description too long for the field is cut to its
// first 127 bytes, never in the middle of a double-byte character, rather than left out:
// the driver stays listed under the start of its name.
void CopyName(char (&field)[kAsioDriverNameBytes], const char* source)
{
    size_t length = 0;
    while (source[length] != '\0' && length < kAsioDriverNameBytes - 1) {
        const bool lead = IsDBCSLeadByte(static_cast<BYTE>(source[length]));
        if (lead && (source[length + 1] == '\0' || length + 2 > kAsioDriverNameBytes - 1)) break;
        length += lead ? 2 : 1;
    }
    std::memcpy(field, source, length);
    field[length] = '\0';
}

void LowerAscii(char* text)
{
    for (; *text != '\0'; ++text)
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
}

// The class named by `classText` is registered under `places` with an in-process server
// whose file exists; its path goes to `serverPath`.
bool ClassServerExists(const AsioRegistryPlaces& places, const char* classText,
                       char (&serverPath)[kAsioServerPathBytes])
{
    char lowered[kClassTextBytes];
    std::strncpy(lowered, classText, sizeof lowered - 1);
    lowered[sizeof lowered - 1] = '\0';
    LowerAscii(lowered);
    rkx::UniqueKey classes;
    if (RegOpenKeyA(places.classRoot, places.classPath, classes.receive()) != ERROR_SUCCESS) return false;
    // Key names compare without regard to case, so opening the lower-cased text finds exactly
    // the subkey a walk comparing lower-cased names would stop at.
    rkx::UniqueKey classKey;
    if (RegOpenKeyExA(classes.get(), lowered, 0, KEY_READ, classKey.receive()) != ERROR_SUCCESS) return false;
    rkx::UniqueKey server;
    if (RegOpenKeyExA(classKey.get(), "InprocServer32", 0, KEY_READ, server.receive()) != ERROR_SUCCESS) return false;
    if (!ReadString(server.get(), nullptr, serverPath, sizeof serverPath) || serverPath[0] == '\0') return false;
    const DWORD attributes = GetFileAttributesA(serverPath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

CLSID ParseClassId(const char* text)
{
    wchar_t wide[kClassTextBytes] = {};
    CLSID classId{};
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(kClassTextBytes)) == 0 ||
        FAILED(CLSIDFromString(wide, &classId)))
        return CLSID{};
    return classId;
}

}  // namespace

AsioRegistryPlaces SystemAsioPlaces()
{
    return {HKEY_LOCAL_MACHINE, "software\\asio", HKEY_CLASSES_ROOT, "clsid"};
}

AsioDriverList::AsioDriverList(const AsioRegistryPlaces& places)
{
    rkx::UniqueKey list;
    if (RegOpenKeyA(places.listRoot, places.listPath, list.receive()) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        char keyName[kListKeyNameBytes] = {};
        const LONG status = RegEnumKeyA(list.get(), index, keyName, kListKeyNameBytes);
        // A subkey name too long for the buffer is passed over; the entries after it still count.
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;

        rkx::UniqueKey driver;
        if (RegOpenKeyExA(list.get(), keyName, 0, KEY_READ, driver.receive()) != ERROR_SUCCESS) continue;
        char classText[kClassTextBytes] = {};
        if (!ReadString(driver.get(), "clsid", classText, sizeof classText)) continue;
        AsioDriverEntry entry;
        if (!ClassServerExists(places, classText, entry.serverPath)) continue;

        entry.number = static_cast<long>(entries_.size());
        entry.classId = ParseClassId(classText);
        std::vector<char> description;
        CopyName(entry.name, ReadWholeString(driver.get(), "description", description) ? description.data() : keyName);
        entries_.push_back(entry);
    }
    list.reset();
    if (!entries_.empty()) {
        const HRESULT started = CoInitialize(nullptr);
        comStarted_ = started == S_OK || started == S_FALSE;
    }
}

AsioDriverList::~AsioDriverList()
{
    for (AsioDriverEntry& entry : entries_) {
        if (entry.object != nullptr) entry.object->Release();
        entry.object = nullptr;
    }
    if (comStarted_) CoUninitialize();
}

long AsioDriverList::GetDriverName(long number, char* buffer, int size) const
{
    if (buffer == nullptr || size <= 0) return kAsioNoBuffer;
    if (number < 0 || number >= count()) return kAsioNoSuchEntry;
    const char* name = entries_[static_cast<size_t>(number)].name;
    const size_t length = std::strlen(name);
    if (length < static_cast<size_t>(size)) {
        std::memcpy(buffer, name, length + 1);
    } else if (size > 4) {
        std::memcpy(buffer, name, static_cast<size_t>(size) - 4);
        std::memcpy(buffer + size - 4, "...", 4);
    } else {
        // No room for the ellipsis: as much of the name as fits.
        std::memcpy(buffer, name, static_cast<size_t>(size) - 1);
        buffer[size - 1] = '\0';
    }
    return 0;
}

AsioDriverEntry* AsioDriverList::EntryOf(long number)
{
    return number >= 0 && number < count() ? &entries_[static_cast<size_t>(number)] : nullptr;
}

}  // namespace config
