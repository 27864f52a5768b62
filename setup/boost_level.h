// The boost level of the mixer's USB output: four indexes, stored as "Level".
#pragma once

#include <cstdint>

namespace rkx::setup {

constexpr uint32_t kBoostLevels = 4;
constexpr uint32_t kDefaultBoostLevel = 3;

const wchar_t* BoostLevelText(uint32_t index);  // index < 4
uint32_t CurrentBoostLevel(const wchar_t* userKey);
int SetBoostLevel(uint32_t index, const wchar_t* userKey, bool notify);  // index checked

}  // namespace rkx::setup
