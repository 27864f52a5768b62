// The headers nearly every test program includes, compiled once per tree (rkx_test_pch) and
// reused by every test program: the system's, GoogleTest's and the standard library's.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>
