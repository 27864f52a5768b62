#include "setup/control_exchange.h"

#include <cstring>

#include "common/unique_handle.h"

namespace rkx::setup {

bool ExchangeControl(const wchar_t* path, DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes)
{
    if (out != nullptr && outBytes > 0) std::memset(out, 0, outBytes);
    UniqueHandle device(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr));
    if (!device) return false;
    UniqueHandle done(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!done) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = done.get();
    DWORD returned = 0;
    if (DeviceIoControl(device.get(), code, const_cast<void*>(in), inBytes, out, outBytes, &returned, &overlapped))
        return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    // The completion's own status decides: a request that fails later is no success.
    return GetOverlappedResult(device.get(), &overlapped, &returned, TRUE) != FALSE;
}

}  // namespace rkx::setup
