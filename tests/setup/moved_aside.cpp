#include "tests/setup/moved_aside.h"

namespace rkx::setup::test {

std::wstring ExpandedPath(const wchar_t* path)
{
    wchar_t expanded[MAX_PATH * 2] = {};
    const DWORD length = ExpandEnvironmentStringsW(path, expanded, MAX_PATH * 2);
    return length > 0 && length <= MAX_PATH * 2 ? std::wstring(expanded) : std::wstring();
}

FileMovedAside::FileMovedAside(std::wstring path) : path_(std::move(path)), aside_(path_ + L".moved-aside-by-test")
{
    DeleteFileW(aside_.c_str());
    moved_ = !path_.empty() && MoveFileExW(path_.c_str(), aside_.c_str(), 0);
}

FileMovedAside::~FileMovedAside()
{
    if (moved_) MoveFileExW(aside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

ValueRemoved::ValueRemoved(HKEY root, std::wstring key, std::wstring name)
    : root_(root), key_(std::move(key)), name_(std::move(name))
{
    DWORD bytes = 0;
    if (RegGetValueW(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return;
    data_.resize(bytes);
    if (RegGetValueW(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, data_.data(), &bytes) !=
        ERROR_SUCCESS)
        return;
    data_.resize(bytes);
    removed_ = RegDeleteKeyValueW(root_, key_.c_str(), name_.c_str()) == ERROR_SUCCESS;
}

ValueRemoved::~ValueRemoved()
{
    if (removed_)
        RegSetKeyValueW(root_, key_.c_str(), name_.c_str(), type_, data_.data(), static_cast<DWORD>(data_.size()));
}

}  // namespace rkx::setup::test
