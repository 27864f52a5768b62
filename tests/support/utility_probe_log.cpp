#include "tests/support/utility_probe_log.h"

#include <cstdlib>

#include "tests/support/files.h"
#include "tests/support/utility_probe_names.h"

namespace rkx::test {
namespace {

std::vector<std::string> SplitTabs(const std::string& row)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = row.find('\t', start);
        fields.push_back(row.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace

std::vector<Launch> ReadProbeLaunches(const std::wstring& folder)
{
    const std::string text = ReadWholeFile(folder + kProbeLogName);
    std::vector<Launch> launches;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::vector<std::string> fields = SplitTabs(text.substr(start, end - start));
        if (fields.size() != 5) continue;
        Launch launch;
        launch.processId = static_cast<DWORD>(std::strtoul(fields[0].c_str(), nullptr, 10));
        launch.userSid = fields[1];
        launch.session = static_cast<DWORD>(std::strtoul(fields[2].c_str(), nullptr, 10));
        launch.desktop = fields[3];
        launch.commandLine = fields[4];
        launches.push_back(launch);
    }
    return launches;
}

}  // namespace rkx::test
