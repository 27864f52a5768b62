#include "tests/config/string_tables/text_signature.h"

#include <cwctype>

namespace strings_test {

TextSignature SignatureOf(const std::wstring& text)
{
    TextSignature signature;
    while (signature.leadingLineFeeds < static_cast<int>(text.size()) &&
           text[signature.leadingLineFeeds] == L'\n') {
        ++signature.leadingLineFeeds;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n') {
            ++signature.lineFeeds;
            continue;
        }
        if (text[i] != L'%') continue;
        if (i + 1 < text.size() && text[i + 1] == L'%') {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && std::wcschr(L"-+ #0", text[end]) != nullptr) ++end;
        while (end < text.size() && (std::iswdigit(text[end]) || text[end] == L'*' ||
                                     text[end] == L'.')) {
            ++end;
        }
        while (end < text.size() && std::wcschr(L"hlLwqjzt", text[end]) != nullptr) ++end;
        if (end < text.size()) ++end;  // the conversion itself
        signature.specifiers.push_back(text.substr(i, end - i));
        i = end - 1;
    }
    return signature;
}

}  // namespace strings_test
