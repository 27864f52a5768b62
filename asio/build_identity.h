// Everything that tells the two driver builds apart, in one table.
#pragma once

#include <windows.h>

namespace rkx::asio {

struct BuildIdentity {
    const char* moduleName;          // looked up at run time
    CLSID classId;                   // also the interface id hosts request
    const char* driverName;          // getDriverName, class key default, ASIO "Description"
    const char* asioKeyName;         // SOFTWARE\ASIO subkey, message box caption, per-user key
    const char* threadingModel;
    const char* openFailureText;     // errorText after init
    const char* streamingMutexName;
    const char* configKeyPath;       // HKLM key holding "AsioConfig"
    const wchar_t* copyTimingFile;   // in the diagnostics folder, when diagnostics are on
};

const BuildIdentity& Build();

}  // namespace rkx::asio
