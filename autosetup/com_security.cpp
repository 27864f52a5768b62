#include "autosetup/com_security.h"

#include <objbase.h>

#include <new>

#include "common/unique_handle.h"

namespace rkx::autosetup {
namespace {

UniqueHandle OpenCallerToken()
{
    HANDLE token = nullptr;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return UniqueHandle(token);
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return UniqueHandle(token);
    return {};
}

std::unique_ptr<BYTE[]> QueryToken(HANDLE token, TOKEN_INFORMATION_CLASS which)
{
    DWORD bytes = 0;
    GetTokenInformation(token, which, nullptr, 0, &bytes);
    if (bytes == 0) return {};
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes]());
    if (!buffer || !GetTokenInformation(token, which, buffer.get(), bytes, &bytes)) return {};
    return buffer;
}

}  // namespace

ComSession::ComSession()
{
    initialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    if (!initialized_) return;
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION)) return;
    if (UniqueHandle token = OpenCallerToken()) {
        owner_ = QueryToken(token.get(), TokenOwner);
        group_ = QueryToken(token.get(), TokenPrimaryGroup);
        if (owner_) SetSecurityDescriptorOwner(&descriptor_, reinterpret_cast<TOKEN_OWNER*>(owner_.get())->Owner, FALSE);
        if (group_)
            SetSecurityDescriptorGroup(&descriptor_,
                                       reinterpret_cast<TOKEN_PRIMARY_GROUP*>(group_.get())->PrimaryGroup, FALSE);
    }
    // The module offers no COM classes, so nothing can be called through this security.
    CoInitializeSecurity(&descriptor_, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT, RPC_C_IMP_LEVEL_IMPERSONATE,
                         nullptr, EOAC_NONE, nullptr);
}

ComSession::~ComSession()
{
    if (initialized_) CoUninitialize();
}

}  // namespace rkx::autosetup
