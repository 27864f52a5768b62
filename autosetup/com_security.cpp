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

DWORD AllowedAceBytes(PSID sid) { return sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid); }

}  // namespace

ComSecurityDescriptor::ComSecurityDescriptor()
{
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION)) return;
    const UniqueHandle token = OpenCallerToken();
    if (!token) return;
    owner_ = QueryToken(token.get(), TokenOwner);
    group_ = QueryToken(token.get(), TokenPrimaryGroup);
    user_ = QueryToken(token.get(), TokenUser);
    DWORD systemBytes = sizeof(system_);
    if (!owner_ || !group_ || !user_ || !CreateWellKnownSid(WinLocalSystemSid, nullptr, system_, &systemBytes)) return;

    PSID self = reinterpret_cast<TOKEN_USER*>(user_.get())->User.Sid;
    PSID system = system_;
    const DWORD aclBytes = sizeof(ACL) + AllowedAceBytes(system) + AllowedAceBytes(self);
    acl_.reset(new (std::nothrow) BYTE[aclBytes]());
    if (!acl_) return;
    auto* acl = reinterpret_cast<ACL*>(acl_.get());
    valid_ = InitializeAcl(acl, aclBytes, ACL_REVISION) &&
             AddAccessAllowedAce(acl, ACL_REVISION, kComCallRights, system) &&
             (EqualSid(self, system) || AddAccessAllowedAce(acl, ACL_REVISION, kComCallRights, self)) &&
             SetSecurityDescriptorOwner(&descriptor_, reinterpret_cast<TOKEN_OWNER*>(owner_.get())->Owner, FALSE) &&
             SetSecurityDescriptorGroup(&descriptor_,
                                        reinterpret_cast<TOKEN_PRIMARY_GROUP*>(group_.get())->PrimaryGroup, FALSE) &&
             SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) && IsValidSecurityDescriptor(&descriptor_);
}

ComSession::ComSession()
{
    initialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    // Without a descriptor COM keeps its defaults; a descriptor without an access list would
    // let everyone in.
    if (!initialized_ || !descriptor_.valid()) return;
    CoInitializeSecurity(descriptor_.get(), -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT, RPC_C_IMP_LEVEL_IMPERSONATE,
                         nullptr, EOAC_NONE, nullptr);
}

ComSession::~ComSession()
{
    if (initialized_) CoUninitialize();
}

}  // namespace rkx::autosetup
