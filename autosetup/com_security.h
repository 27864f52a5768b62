// The process's COM apartment and security, held for the life of the service loop.
#pragma once

#include <windows.h>

#include <memory>

namespace rkx::autosetup {

// Joins the multithreaded apartment and sets the process's COM security from a descriptor
// whose owner and group come from the thread's token (or the process's) and which carries no
// access-control list. The destructor leaves COM, then frees the descriptor.
class ComSession {
public:
    ComSession();
    ~ComSession();
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;

private:
    bool initialized_ = false;
    SECURITY_DESCRIPTOR descriptor_{};
    std::unique_ptr<BYTE[]> owner_;
    std::unique_ptr<BYTE[]> group_;
};

}  // namespace rkx::autosetup
