#include "check_options.h"

#include "common/package_names.h"
#include "virtualmixer/client/command_line.h"

namespace asiocheck {

const char kUsage[] =
    "usage: asiocheck [--driver NAME] [--seconds S] [--out LIST] [--in LIST] [--wav FILE] [--periods FILE]\n"
    "                 [--no-loop]\n"
    "  --driver NAME  driver as listed under HKLM\\SOFTWARE\\ASIO (default: this build's driver)\n"
    "  --seconds S    streaming time, 0 for the report only (default 5)\n"
    "  --out LIST     output channels that play the test signal, e.g. 0,1 (default 0,1)\n"
    "  --in LIST      input channels to record (default 0,1)\n"
    "  --wav FILE     write the recorded inputs to FILE (32-bit PCM)\n"
    "  --periods FILE write the callback periods as \"microseconds count\" lines\n"
    "  --no-loop      leave the virtual mixer's routing as it is\n";

namespace {

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) out.push_back(c < 128 ? char(c) : '?');
    return out;
}

bool ParseList(const std::wstring& text, std::vector<long>& list)
{
    list.clear();
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(L',', start);
        const std::wstring item = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        const auto value = rkx::vmix::ParseUnsigned(item, 1023);
        if (!value) return false;
        list.push_back(long(*value));
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    return !list.empty();
}

}  // namespace

bool ParseCheckOptions(const std::vector<std::wstring>& args, CheckOptions& options, std::string& error)
{
    options.driverName = sizeof(void*) == 8 ? rkx::names::kAsio64KeyName : rkx::names::kAsio32KeyName;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == L"--help" || a == L"-h") {
            options.help = true;
        } else if (a == L"--no-loop") {
            options.routeLoop = false;
        } else if (a == L"--driver" && hasValue) {
            options.driverName = Narrow(args[++i]);
        } else if (a == L"--seconds" && hasValue) {
            if (args[i + 1] == L"0") {
                options.seconds = 0;
                ++i;
                continue;
            }
            const auto seconds = rkx::vmix::ParseSeconds(args[++i], 600.0);
            if (!seconds) {
                error = "--seconds needs a number of seconds up to 600";
                return false;
            }
            options.seconds = *seconds;
        } else if ((a == L"--out" || a == L"--in") && hasValue) {
            if (!ParseList(args[++i], a == L"--out" ? options.outputs : options.inputs)) {
                error = "channel lists are numbers 0..1023 separated by commas";
                return false;
            }
        } else if (a == L"--wav" && hasValue) {
            options.wavPath = args[++i];
        } else if (a == L"--periods" && hasValue) {
            options.periodsPath = args[++i];
        } else {
            error = "unknown or incomplete option " + Narrow(a);
            return false;
        }
    }
    return true;
}

}  // namespace asiocheck
