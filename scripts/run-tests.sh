#!/usr/bin/env bash
# make test: a fresh prefix, the package installed, the virtual mixer loaded, every test of
# both trees (x86_64 under Wine, then i686 on the 32-bit rig, timed on its own line) and the
# streaming engine's native unit tests. Arguments go to ctest, e.g. -R Plugging.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig.sh"

rig_start --fresh-prefix

status=0
rig_log "x86_64 tests (under Wine)"
ctest --test-dir "$RKX_BUILD_ROOT/x86_64" --output-on-failure --timeout 600 "$@" || status=1
rig_stop
started=$SECONDS
"$root/scripts/run-tests-i686.sh" "$@" || status=1
rig_log "i686 tests on the 32-bit rig: $((SECONDS - started)) s"
rig_log "native tests (the streaming engine, under ThreadSanitizer)"
ctest --test-dir "$RKX_BUILD_ROOT/native" --output-on-failure "$@" || status=1
exit $status
