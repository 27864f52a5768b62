// UTF-16 and UTF-8 text for tests: Windows hands out UTF-16, logs and gtest messages are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace rkx::test {

// Unpaired surrogates or invalid bytes give the replacement character, never an empty result.
std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);

}  // namespace rkx::test
