// Finding the mixer: the control filter paths of every connected mixer, collected afresh on
// each call into a fixed table (128 paths of up to 259 characters, in enumeration order).
#pragma once

#include <cstddef>
#include <memory>

#include "common/mixer_requests.h"

namespace rkx::setup {

struct MixerPaths {
    size_t count = 0;
    wchar_t path[RKX_MAX_DEVICE_PATHS][RKX_MAX_PATH_CHARS] = {};
};

// True when a path names a mixer's control filter (the render alias is checked separately).
bool IsControlFilterPath(const wchar_t* path);
// True when a path counts for the connection test ("wave1" or "global").
bool IsConnectionPath(const wchar_t* path);

// Adds one enumerated interface to the table when it qualifies and fits; false once the
// table is full (the walk can stop).
bool CollectPath(MixerPaths& table, const wchar_t* path, bool hasRenderAlias);

// Collects the qualifying paths; an empty table means the mixer was not found.
std::unique_ptr<MixerPaths> CollectMixerPaths();
bool IsMixerConnected();

}  // namespace rkx::setup
