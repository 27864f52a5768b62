#include "tools/mixersetup/arguments.h"

#include <windows.h>

#include "common/user_sid.h"

namespace rkx::mixersetup {

std::optional<Options> ParseOptions(const std::vector<std::wstring>& arguments, std::wstring& error)
{
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == L"--user") {
            // The key names a hive under HKEY_USERS: anything but a user's SID would name another
            // profile or none.
            if (!hasValue || !rkx::IsUserSid(arguments[i + 1].c_str())) {
                error = L"--user needs a user's security identifier, e.g. --user S-1-5-21-0-0-0-1000";
                return std::nullopt;
            }
            options.user = arguments[++i];
        } else if (argument == L"--no-notify") {
            options.notify = false;
        } else if (argument == L"--count") {
            const auto count = hasValue ? ParseIndex(arguments[i + 1], 1000000) : std::nullopt;
            if (!count || *count == 0) {
                error = L"--count needs a number from 1 to 1000000";
                return std::nullopt;
            }
            options.count = count;
            ++i;
        } else if (argument == L"--help" || argument == L"-h") {
            options.words.push_back(L"help");  // the command table answers it
        } else if (argument.size() > 1 && argument[0] == L'-' && !(argument[1] >= L'0' && argument[1] <= L'9')) {
            error = L"unknown option " + argument;
            return std::nullopt;
        } else {
            options.words.push_back(argument);
        }
    }
    return options;
}

std::optional<uint32_t> ParseIndex(const std::wstring& text, uint32_t max)
{
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - L'0');
    }
    if (value > max) return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::optional<uint32_t> MatchChoice(const std::wstring& text, const std::vector<std::wstring>& choices)
{
    if (choices.empty()) return std::nullopt;
    if (auto index = ParseIndex(text, static_cast<uint32_t>(choices.size() - 1))) return index;
    for (size_t i = 0; i < choices.size(); ++i) {
        if (CompareStringOrdinal(text.c_str(), static_cast<int>(text.size()), choices[i].c_str(),
                                 static_cast<int>(choices[i].size()), TRUE) == CSTR_EQUAL)
            return static_cast<uint32_t>(i);
    }
    return std::nullopt;
}

}  // namespace rkx::mixersetup
