#!/usr/bin/env bash
# Runs one Windows program of the x86_64 build under the project's Wine prefix
# (ctest's cross-compiling emulator).
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine-env.sh"
exec "$RKX_WINE" "$@"
