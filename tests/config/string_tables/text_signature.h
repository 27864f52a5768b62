// What a translation must keep from the English text: its format specifiers, in order, and
// its line feeds (the wrapped labels turn each into a line break or a blank line).
#pragma once

#include <string>
#include <vector>

namespace strings_test {

struct TextSignature {
    std::vector<std::wstring> specifiers;  // e.g. "%d", "%01X", "%ws"; "%%" is not one
    int lineFeeds = 0;
    int leadingLineFeeds = 0;

    bool operator==(const TextSignature&) const = default;
};

TextSignature SignatureOf(const std::wstring& text);

}  // namespace strings_test
