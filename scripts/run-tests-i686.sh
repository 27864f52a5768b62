#!/usr/bin/env bash
# The i686 tree's tests on the 32-bit rig: a fresh 32-bit prefix, the 32-bit builds installed,
# the i686 virtual mixer loaded, ctest with 32-bit Wine as the tests' emulator. Arguments go
# to ctest. scripts/run-tests.sh runs it after the x86_64 tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig32.sh"

if [ "$(id -u)" -ne 0 ]; then
  echo "the 32-bit rig needs root (a chroot and binfmt_misc)" >&2
  exit 1
fi
# What cannot run here is left out by name, never silently: a case of a test program through
# GoogleTest's filter, a ctest test by ctest's.
left_out=()
while IFS= read -r line; do
  case $line in '#'* | '') continue ;; esac
  name=${line%% | *}
  echo "left out on the 32-bit rig: $name (${line#* | })"
  left_out+=("$name")
done < "$root/tests/left-out-i686.txt"
exclude=$(IFS='|'; echo "^(${left_out[*]//./\.})\$")
GTEST_FILTER=-$(IFS=':'; echo "${left_out[*]}")
export GTEST_FILTER

rig32_start --fresh-prefix
rig_log "i686 tests (32-bit Wine under qemu-i386)"
# One rig: the test programs one after another, the static checks beside them.
ctest --test-dir "$RKX_BUILD_ROOT/i686" --output-on-failure \
  --resource-spec-file "$(rig_pool_file 1 "$RKX_BUILD_ROOT/rig32.json")" -j 2 \
  -E "$exclude" "$@"
