#include "app/start_arguments.h"

#include <cstdint>
#include <cwchar>

namespace config {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHexDigit(wchar_t c) { return IsDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

// Reads a number up to `limit` at `at`; advances past it. No sign, no empty field.
bool ReadNumber(const std::wstring& text, std::size_t& at, std::uint64_t limit, bool allowHex)
{
    std::uint64_t value = 0;
    std::size_t start = at;
    if (allowHex && text.compare(at, 2, L"0x") == 0) {
        at += 2;
        start = at;
        while (at < text.size() && IsHexDigit(text[at])) {
            const wchar_t c = text[at];
            const unsigned digit = IsDigit(c) ? c - L'0' : (c | 0x20) - L'a' + 10;
            value = value * 16 + digit;
            if (value > limit) return false;
            ++at;
        }
        return at > start;
    }
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + static_cast<unsigned>(text[at] - L'0');
        if (value > limit) return false;
        ++at;
    }
    return at > start && at - start <= 20;
}

}  // namespace

bool IsWellFormedSid(const std::wstring& text)
{
    if (text.compare(0, 4, L"S-1-") != 0) return false;
    std::size_t at = 4;
    if (!ReadNumber(text, at, (std::uint64_t{1} << 48) - 1, true)) return false;
    int subAuthorities = 0;
    while (at < text.size()) {
        if (text[at] != L'-') return false;
        ++at;
        if (!ReadNumber(text, at, 0xFFFFFFFFu, false)) return false;
        if (++subAuthorities > 15) return false;
    }
    return subAuthorities >= 1;
}

StartArguments ParseStartArguments(const wchar_t* commandLine)
{
    StartArguments result;
    if (commandLine == nullptr) return result;
    const wchar_t* found = std::wcsstr(commandLine, L"-Auto");
    if (found == nullptr) return result;
    result.autoStart = true;
    std::wstring sid = found + 5;
    // A launcher may leave blanks after the identifier; they are not part of it.
    while (!sid.empty() && (sid.back() == L' ' || sid.back() == L'\t' || sid.back() == L'\r' || sid.back() == L'\n'))
        sid.pop_back();
    if (IsWellFormedSid(sid)) result.userSid = sid;
    return result;
}

}  // namespace config
