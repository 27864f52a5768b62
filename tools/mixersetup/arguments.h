// The command line of rkxsetup: strict parsing, so a typo is refused with a message instead of
// being read as some other value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rkx::mixersetup {

struct Options {
    std::vector<std::wstring> words;  // the command and its operands, options removed
    std::optional<std::wstring> user; // --user SID, a user's SID (rkx::IsUserSid)
    bool notify = true;               // --no-notify clears it
    std::optional<uint32_t> count;    // --count N (watch)
};

// Splits options from words; on a bad option returns nothing and fills `error`.
std::optional<Options> ParseOptions(const std::vector<std::wstring>& arguments, std::wstring& error);

// A plain decimal number 0..max: no sign, no spaces, no suffix, no overflow.
std::optional<uint32_t> ParseIndex(const std::wstring& text, uint32_t max);

// The index of `text` among `choices`: a number below choices.size() or a choice's text,
// compared without regard to case.
std::optional<uint32_t> MatchChoice(const std::wstring& text, const std::vector<std::wstring>& choices);

}  // namespace rkx::mixersetup
