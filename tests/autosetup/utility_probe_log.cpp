#include "tests/autosetup/utility_probe_log.h"

#include <cstdlib>

#include "common/unique_handle.h"
#include "tests/autosetup/utility_probe_names.h"

namespace rkx::autosetup::test {
namespace {

std::string ReadWholeFile(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    if (!file) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got != 0) text.append(buffer, got);
    return text;
}

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

}  // namespace rkx::autosetup::test
