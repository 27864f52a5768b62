#include "tests/support/registry.h"

#include "common/unique_registry_key.h"

namespace rkx::test {

bool RegistryKeyExists(HKEY root, const std::wstring& path)
{
    UniqueKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
}

}  // namespace rkx::test
