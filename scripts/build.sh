#!/usr/bin/env bash
# Builds both architectures into separate trees: build/x86_64 and build/i686
# (under $RKX_BUILD_ROOT when set), and the streaming engine's unit tests for this machine in
# build/native.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${RKX_BUILD_ROOT:-$root/build}
jobs=${RKX_JOBS:-$(nproc)}
mkdir -p "$builds"
for arch in x86_64 i686; do
  tree=$builds/$arch
  if [ ! -f "$tree/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release > "$builds/configure-$arch.log" 2>&1 ||
      { cat "$builds/configure-$arch.log"; exit 1; }
  fi
  echo "== build $arch"
  if ! cmake --build "$tree" -j "$jobs" > "$builds/build-$arch.log" 2>&1; then
    grep -E -A8 'error|Error' "$builds/build-$arch.log" | head -100
    echo "build of $arch failed: see $builds/build-$arch.log"
    exit 1
  fi
done

# The engine names no system type: its unit tests also run here, under ThreadSanitizer.
tree=$builds/native
if [ ! -f "$tree/CMakeCache.txt" ]; then
  cmake -S "$root/tests/asio/engine/native" -B "$tree" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        > "$builds/configure-native.log" 2>&1 || { cat "$builds/configure-native.log"; exit 1; }
fi
echo "== build native (streaming engine unit tests)"
if ! cmake --build "$tree" -j "$jobs" > "$builds/build-native.log" 2>&1; then
  grep -E -A8 'error|Error' "$builds/build-native.log" | head -100
  echo "build of the native unit tests failed: see $builds/build-native.log"
  exit 1
fi
