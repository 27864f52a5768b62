// Versions of the installed software: numbers from files' version blocks, texts for callers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace rkx::setup {

// "1.110" -> 1110, "1.10" -> 110, "1" -> 1: the first "." is left out and the copy ends at
// the second one (at most 19 characters); its leading digits are the number. Nothing when the
// digits do not fit an int.
std::optional<int> ParseProductVersion(const wchar_t* productVersion);

// The product version of a file's version block as a number; nothing when the file, the
// block or the product version string is missing.
std::optional<int> ReadFileVersionNumber(const std::wstring& path);

// "%d.%03d" of v / 1000 and v mod 1000.
std::wstring FormatVersionNumber(int version);

// Files this process reads for the driver, utility and library versions.
std::optional<int> DriverVersionNumber();
std::optional<int> UtilityVersionNumber();
std::optional<int> LibraryVersionNumber();

// "DisplayVersion" of the uninstall key, unchanged; nothing when missing, not a string, or
// 256 bytes or longer.
std::optional<std::wstring> InstallerDisplayVersion();

}  // namespace rkx::setup
