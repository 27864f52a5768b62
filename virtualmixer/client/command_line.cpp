#include "virtualmixer/client/command_line.h"

#include <cstdio>
#include <exception>

#include <windows.h>
#include <shellapi.h>

namespace rkx::vmix {

std::vector<std::wstring> CommandLineArguments()
{
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

std::optional<uint32_t> ParseUnsigned(const std::wstring& text, uint32_t max)
{
    size_t pos = 0;
    uint32_t base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        pos = 2;
    }
    if (pos >= text.size()) return std::nullopt;
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const wchar_t c = text[pos];
        uint32_t digit = 0;
        if (c >= L'0' && c <= L'9') digit = static_cast<uint32_t>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f') digit = static_cast<uint32_t>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F') digit = static_cast<uint32_t>(c - L'A' + 10);
        else return std::nullopt;
        value = value * base + digit;
        if (value > max) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<double> ParseSeconds(const std::wstring& text, double max)
{
    double whole = 0.0;
    double scale = 0.0;  // becomes 0.1, 0.01, ... after the decimal point
    bool digits = false;
    for (wchar_t c : text) {
        if (c == L'.' && scale == 0.0) {
            scale = 0.1;
        } else if (c >= L'0' && c <= L'9') {
            digits = true;
            if (scale == 0.0) {
                whole = whole * 10.0 + (c - L'0');
            } else {
                whole += scale * (c - L'0');
                scale /= 10.0;
            }
            if (whole > max) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!digits || whole <= 0.0) return std::nullopt;
    return whole;
}

int RunToolMain(const char* toolName, int (*run)(), int failureCode)
{
    try {
        const int code = run();
        std::fflush(stdout);
        return code;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: internal error: %s\n", toolName, e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: internal error\n", toolName);
    }
    return failureCode;
}

}  // namespace rkx::vmix
