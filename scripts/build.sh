#!/usr/bin/env bash
# Builds both architectures into separate trees: build/x86_64 and build/i686
# (under $RKX_BUILD_ROOT when set), side by side, and the streaming engine's unit tests for
# this machine in build/native.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${RKX_BUILD_ROOT:-$root/build}
jobs=${RKX_JOBS:-$(nproc)}
mkdir -p "$builds"
# How long each tree took, for the time table at the end of make test (scripts/run-tests.sh).
times=$builds/build-times.txt
: > "$times"

# build_tree NAME SOURCE [cmake options...]: configures once, builds, records its time.
build_tree() {
  local name=$1 source=$2 started=$SECONDS
  shift 2
  local tree=$builds/$name
  if [ ! -f "$tree/CMakeCache.txt" ]; then
    cmake -S "$source" -B "$tree" -G Ninja "$@" > "$builds/configure-$name.log" 2>&1 ||
      { cat "$builds/configure-$name.log"; return 1; }
  fi
  if ! cmake --build "$tree" -j "$jobs" > "$builds/build-$name.log" 2>&1; then
    grep -E -A8 'error|Error' "$builds/build-$name.log" | head -100
    echo "build of $name failed: see $builds/build-$name.log"
    return 1
  fi
  echo "build $name $((SECONDS - started))" >> "$times"
}

# The two architectures at once: each has its serial stretches (configuring, linking), which
# the other fills.
echo "== build x86_64 and i686"
started=$SECONDS
pids=()
for arch in x86_64 i686; do
  build_tree "$arch" "$root" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
[ $status = 0 ] || exit 1
echo "build both-trees $((SECONDS - started))" >> "$times"

# The engine names no system type: its unit tests also run here, under ThreadSanitizer.
echo "== build native (streaming engine unit tests)"
build_tree native "$root/tests/asio/engine/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo
