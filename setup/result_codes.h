// Result codes and limits shared across the library.
#pragma once

#include <cstdint>

#include "include/rkx_t2_setup.h"

namespace rkx::setup {

constexpr int kSuccess = QVR_SUCCESS;
constexpr int kWarning = QVR_SUCCESS_WARNING;
constexpr int kFailure = QVR_FAILURE;
constexpr int kConnected = QVR_CONNECTED;
constexpr int kNotConnected = QVR_NOT_CONNECTED;
constexpr int kProductId = QVR_PRODUCT_RKX_T2;

constexpr size_t kVersionTextChars = 256;
constexpr size_t kWarningTextChars = 1024;

inline bool IsOurProduct(int productId) { return productId == kProductId; }
// Ranges are compared unsigned, so a negative argument is out of range too.
inline bool InRange(int value, uint32_t last) { return static_cast<uint32_t>(value) <= last; }

}  // namespace rkx::setup
