#!/usr/bin/env bash
# Runs one Windows program of the i686 build under the 32-bit rig's prefix (the i686 tree's
# ctest emulator).
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine32-env.sh"
wine32 "$@"
