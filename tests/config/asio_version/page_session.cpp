#include "page_session.h"

#include "app/ui_language.h"
#include "app/ui_strings.h"
#include "common/diagnostics.h"
#include "tests/support/utility_session.h"
#include "tests/support/processes.h"
#include "tests/support/text.h"
#include "tests/support/wait.h"

#include <cwctype>
#include <sstream>

namespace page_test {
namespace {

// `text` has the form of `pattern`, each "%d" standing for one or more digits.
bool HasForm(const std::wstring& pattern, const std::wstring& text)
{
    size_t p = 0, t = 0;
    while (p < pattern.size()) {
        if (pattern.compare(p, 2, L"%d") == 0) {
            const size_t start = t;
            while (t < text.size() && std::iswdigit(text[t])) ++t;
            if (t == start) return false;
            p += 2;
        } else {
            if (t >= text.size() || text[t] != pattern[p]) return false;
            ++p;
            ++t;
        }
    }
    return t == text.size();
}

}  // namespace

int RunVmixctlPumping(const std::wstring& arguments)
{
    return rkx::test::RunProgram(rkx::test::OwnFolder() + L"vmixctl.exe", arguments, 30000, true);
}

// --- Label log ----------------------------------------------------------------------------------

LabelLog::LabelLog() : path_(rkx::test::DiagnosticsOn::FreshFile(rkx::diagnostics::kUtilityLabelsFile)) {}

LabelLog::~LabelLog() { DeleteFileW(path_.c_str()); }

std::vector<LabelLog::Label> LabelLog::Labels() const
{
    std::vector<Label> labels;
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return labels;
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(file);

    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // "WxH RRGGBB: text"; a line still being written has no colon yet.
        const size_t x = line.find('x'), space = line.find(' '), colon = line.find(": ");
        if (x == std::string::npos || space == std::string::npos || colon == std::string::npos || x > space ||
            space > colon)
            continue;
        Label label;
        label.width = std::atoi(line.substr(0, x).c_str());
        label.height = std::atoi(line.substr(x + 1, space - x - 1).c_str());
        label.colour = rkx::test::Wide(line.substr(space + 1, colon - space - 1));
        label.text = rkx::test::Wide(line.substr(colon + 2));
        labels.push_back(std::move(label));
    }
    return labels;
}

std::optional<LabelLog::Label> LabelLog::Last(int width, int height, const std::wstring& pattern) const
{
    const std::vector<Label> labels = Labels();
    for (auto label = labels.rbegin(); label != labels.rend(); ++label)
        if (label->width == width && label->height == height && HasForm(pattern, label->text)) return *label;
    return std::nullopt;
}

bool LabelLog::Contains(int width, int height, const std::wstring& text) const
{
    for (const Label& label : Labels())
        if (label.width == width && label.height == height && label.text == text) return true;
    return false;
}

// --- Texts --------------------------------------------------------------------------------------

std::wstring UiString(UINT id, const wchar_t* argument)
{
    const std::wstring program = rkx::test::OwnFolder() + L"RKX-T2_Config.exe";
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return {};
    const DWORD language = rkx::test::ReadInstallLanguage().value_or(config::kDefaultInstallLanguage);
    std::wstring text = config::LoadStringOfLanguage(module, config::StringTableLanguage(language, id), id);
    FreeLibrary(module);
    if (argument != nullptr) {
        for (const wchar_t* placeholder : {L"%ws", L"%ls", L"%s"}) {
            const size_t at = text.find(placeholder);
            if (at != std::wstring::npos) {
                text.replace(at, wcslen(placeholder), argument);
                break;
            }
        }
    }
    return text;
}

std::wstring AsLogged(const std::wstring& text)
{
    std::wstring logged;
    for (wchar_t c : text) logged += c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, c);
    return logged;
}

// --- Pointer ------------------------------------------------------------------------------------

void Pointer::Send(DWORD flags, POINT screen) const { rkx::test::SendMouseAt(screen, flags); }

void Pointer::MoveTo(int x, int y) const
{
    POINT screen{x, y};
    ClientToScreen(window_, &screen);
    Send(0, screen);
    // The next event must not overtake a warp the display reports late.
    PumpUntil([&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == screen.x && now.y == screen.y;
    }, 2000);
}

void Pointer::Press(int x, int y) const
{
    MoveTo(x, y);
    POINT screen{x, y};
    ClientToScreen(window_, &screen);
    Send(MOUSEEVENTF_LEFTDOWN, screen);
}

void Pointer::Release() const
{
    POINT screen{};
    GetCursorPos(&screen);
    Send(MOUSEEVENTF_LEFTUP, screen);
}

void Pointer::Drag(int x, int y, int dx, int steps) const
{
    Press(x, y);
    for (int step = 1; step <= steps; ++step) MoveTo(x + dx * step / steps, y);
    // Under load the display can report a late warp after the last move and the window never
    // hears of the final point: step a pixel back and onto it again before letting go.
    if (dx != 0) {
        MoveTo(x + dx - (dx > 0 ? 1 : -1), y);
        MoveTo(x + dx, y);
    }
    Release();
}

// --- Registry -----------------------------------------------------------------------------------

std::optional<DWORD> ReadDriverValue(const wchar_t* driverKey, const wchar_t* name)
{
    DWORD value = 0, size = sizeof value;
    const std::wstring key = std::wstring(L"SOFTWARE\\") + driverKey;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteDriverValue(const wchar_t* driverKey, const wchar_t* name, DWORD value)
{
    const std::wstring key = std::wstring(L"SOFTWARE\\") + driverKey;
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

void DeleteDriverValue(const wchar_t* driverKey, const wchar_t* name)
{
    const std::wstring key = std::wstring(L"SOFTWARE\\") + driverKey;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), name);
}

RegistryValueGuard::RegistryValueGuard(HKEY root, std::wstring key, std::wstring name)
    : root_(root), key_(std::move(key)), name_(std::move(name))
{
    DWORD size = 0;
    if (RegGetValueW(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr, &size) !=
        ERROR_SUCCESS)
        return;
    data_.resize(size);
    existed_ = RegGetValueW(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, data_.data(),
                            &size) == ERROR_SUCCESS;
    data_.resize(size);
}

RegistryValueGuard::~RegistryValueGuard()
{
    if (existed_)
        RegSetKeyValueW(root_, key_.c_str(), name_.c_str(), type_, data_.data(), static_cast<DWORD>(data_.size()));
    else
        RegDeleteKeyValueW(root_, key_.c_str(), name_.c_str());
}

}  // namespace page_test
