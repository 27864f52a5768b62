// Processes a test looks for by the name of their program.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/unique_handle.h"

namespace rkx::test {

// Calls `visit` with the id of every process whose program has this file name (any case).
// False when the process list cannot be read.
bool ForEachProcessNamed(const wchar_t* executable, const std::function<void(DWORD processId)>& visit);
// How many such processes run; -1 when the process list cannot be read.
int CountProcessesNamed(const wchar_t* executable);

// Starts `program` (a full path) with `arguments` after its quoted name; invalid on failure.
UniqueHandle StartProgram(const std::wstring& program, const std::wstring& arguments, DWORD* processId = nullptr);
// Runs `program` to its end; its exit code, or -1 when it could not start or had to be ended
// after `limitMs`. `pumping`: this thread's messages are dispatched meanwhile (a window made by
// this thread must keep answering what the program sends it).
int RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD limitMs = 30000,
               bool pumping = false);

}  // namespace rkx::test
