#include "driver_lookup.h"

#include <objbase.h>

#include <cstdio>

namespace asiocheck {

bool FindDriverClassId(const std::string& name, CLSID& classId, std::string& error)
{
    const std::string key = "SOFTWARE\\ASIO\\" + name;
    char text[100] = {};
    DWORD size = sizeof(text);
    const LONG status = RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "CLSID", RRF_RT_REG_SZ, nullptr, text, &size);
    if (status != ERROR_SUCCESS) {
        error = "no driver \"" + name + "\" in the ASIO driver list (error " + std::to_string(status) + ")";
        return false;
    }
    wchar_t wide[100] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 100);
    if (FAILED(CLSIDFromString(wide, &classId))) {
        error = std::string("the listed class id is not valid: ") + text;
        return false;
    }
    return true;
}

IASIO* CreateDriver(const CLSID& classId, std::string& error)
{
    void* out = nullptr;
    const HRESULT result = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, classId, &out);
    if (FAILED(result) || out == nullptr) {
        char text[64];
        std::snprintf(text, sizeof(text), "CoCreateInstance failed (0x%08lX)", static_cast<unsigned long>(result));
        error = text;
        return nullptr;
    }
    return static_cast<IASIO*>(out);
}

}  // namespace asiocheck
