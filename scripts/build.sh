#!/usr/bin/env bash
# Builds both architectures into separate trees: build/x86_64 and build/i686.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${RKX_JOBS:-$(nproc)}
mkdir -p "$root/build"
for arch in x86_64 i686; do
  tree=$root/build/$arch
  if [ ! -f "$tree/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release > "$root/build/configure-$arch.log" 2>&1 ||
      { cat "$root/build/configure-$arch.log"; exit 1; }
  fi
  echo "== build $arch"
  if ! cmake --build "$tree" -j "$jobs" > "$root/build/build-$arch.log" 2>&1; then
    grep -E -A8 'error|Error' "$root/build/build-$arch.log" | head -100
    echo "build of $arch failed: see build/build-$arch.log"
    exit 1
  fi
done
