#include "common/user_sid.h"

#include <cstdint>
#include <cwchar>

namespace rkx {
namespace {

// Account identifiers this package works for: the authority and first sub-authority, then
// three domain (or tenant) numbers and the account's own number.
constexpr const wchar_t* kAccountPrefixes[] = {L"S-1-5-21-", L"S-1-12-1-"};
constexpr int kNumbersAfterPrefix = 4;

// One decimal 32-bit number at `at` in canonical form; advances past it.
bool ReadNumber(const wchar_t*& at)
{
    if (*at < L'0' || *at > L'9') return false;
    if (*at == L'0' && at[1] >= L'0' && at[1] <= L'9') return false;  // no leading zeros
    uint64_t value = 0;
    for (; *at >= L'0' && *at <= L'9'; ++at) {
        value = value * 10 + static_cast<uint64_t>(*at - L'0');
        if (value > 0xFFFFFFFFu) return false;
    }
    return true;
}

}  // namespace

bool IsUserSid(const wchar_t* text)
{
    if (text == nullptr) return false;
    for (const wchar_t* prefix : kAccountPrefixes) {
        const size_t length = std::wcslen(prefix);
        if (std::wcsncmp(text, prefix, length) != 0) continue;
        const wchar_t* at = text + length;
        for (int number = 0; number < kNumbersAfterPrefix; ++number) {
            if (number > 0 && *at++ != L'-') return false;
            if (!ReadNumber(at)) return false;
        }
        return *at == L'\0';
    }
    return false;
}

}  // namespace rkx
