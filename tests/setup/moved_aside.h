// Parts of the installation a test takes away for a while: an installed file, or a registry
// value. Each comes back when the object ends, also when the test fails.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rkx::setup::test {

// `path` with its environment variables expanded (%ProgramFiles%, %SystemRoot%).
std::wstring ExpandedPath(const wchar_t* path);

class FileMovedAside {
public:
    explicit FileMovedAside(std::wstring path);
    ~FileMovedAside();
    FileMovedAside(const FileMovedAside&) = delete;
    FileMovedAside& operator=(const FileMovedAside&) = delete;
    // False when the file was not there or could not be moved; then nothing is put back.
    bool moved() const { return moved_; }

private:
    std::wstring path_;
    std::wstring aside_;
    bool moved_ = false;
};

class ValueRemoved {
public:
    ValueRemoved(HKEY root, std::wstring key, std::wstring name);
    ~ValueRemoved();
    ValueRemoved(const ValueRemoved&) = delete;
    ValueRemoved& operator=(const ValueRemoved&) = delete;
    bool removed() const { return removed_; }

private:
    HKEY root_;
    std::wstring key_;
    std::wstring name_;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> data_;
    bool removed_ = false;
};

}  // namespace rkx::setup::test
