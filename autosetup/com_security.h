// The process's COM apartment and security, held for the life of the service loop.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <memory>

namespace rkx::autosetup {

// Access a caller needs to call into this process's COM objects, on this machine only.
constexpr DWORD kComCallRights = COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL;

// The descriptor the process's COM security is set from: owner and group from the thread's
// token (or the process's), and an access list that lets the local system and the service's
// own account call in locally and nobody else. The module offers no COM classes, so this is
// a fence for anything COM might expose on its behalf.
class ComSecurityDescriptor {
public:
    ComSecurityDescriptor();
    ComSecurityDescriptor(const ComSecurityDescriptor&) = delete;
    ComSecurityDescriptor& operator=(const ComSecurityDescriptor&) = delete;

    // False when the token could not be read or the list not built: nothing may be set then.
    bool valid() const { return valid_; }
    SECURITY_DESCRIPTOR* get() { return &descriptor_; }

private:
    SECURITY_DESCRIPTOR descriptor_{};
    std::unique_ptr<BYTE[]> owner_;
    std::unique_ptr<BYTE[]> group_;
    std::unique_ptr<BYTE[]> user_;
    std::unique_ptr<BYTE[]> acl_;
    BYTE system_[SECURITY_MAX_SID_SIZE] = {};
    bool valid_ = false;
};

// Joins the multithreaded apartment and sets the process's COM security from a
// ComSecurityDescriptor. The destructor leaves COM, then frees the descriptor.
class ComSession {
public:
    ComSession();
    ~ComSession();
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;

private:
    bool initialized_ = false;
    ComSecurityDescriptor descriptor_;
};

}  // namespace rkx::autosetup
