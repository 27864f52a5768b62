#!/usr/bin/env bash
# Builds both architectures into separate trees: build/x86_64 and build/i686
# (under $RKX_BUILD_ROOT when set).
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
