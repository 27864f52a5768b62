#include "setup/module_state.h"

#include <atomic>

namespace rkx::setup {
namespace {
std::atomic<HINSTANCE> g_module{nullptr};
}

void SetLibraryModule(HINSTANCE module) { g_module.store(module); }
HINSTANCE LibraryModule() { return g_module.load(); }

}  // namespace rkx::setup
