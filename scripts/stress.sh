#!/usr/bin/env bash
# make stress: the robustness suites at full length on a fresh rig, each printing what it
# tried and what held, then a table of all suites. `make test` runs the same programs in their
# short form through ctest. A suite is one program in tests/stress; add later ones to `suites`.
# Options: --short runs the short form; any other argument goes to every suite (--seed N).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig.sh"

length=--full
extra=()
for argument in "$@"; do
  if [ "$argument" = "--short" ]; then length=""; else extra+=("$argument"); fi
done

suites=(
  stress_library_sweep
  stress_registry_garbage
  stress_hotplug_streaming
  stress_device_faults
  stress_notification_load
  stress_service_cycles
)

rig_start --fresh-prefix
log=$RKX_BUILD_ROOT/stress.log
: > "$log"
status=0
for suite in "${suites[@]}"; do
  program=$RKX_X64_BIN/$suite.exe
  if [ ! -f "$program" ]; then
    echo "stress-summary|-|$suite|not built||FAIL" | tee -a "$log"
    status=1
    continue
  fi
  "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" reset > /dev/null 2>&1 || true
  before=$(grep -c "^stress-summary|" "$log" || true)
  "$RKX_WINE" "$program" $length "${extra[@]}" 2>&1 | tee -a "$log" || status=1
  # A suite that crashed or hung prints no summary of its own.
  if [ "$(grep -c "^stress-summary|" "$log" || true)" -eq "$before" ]; then
    echo "stress-summary|-|$suite|ended without a summary||FAIL" | tee -a "$log"
    status=1
  fi
done

echo
echo "== stress: all suites"
printf '%-3s %-32s %-6s %s\n' "#" "suite" "result" "figures"
grep "^stress-summary|" "$log" | tr -d '\r' | while IFS='|' read -r _ number name figures result; do
  printf '%-3s %-32s %-6s %s\n' "$number" "$name" "$result" "$figures"
done
if grep -q "|FAIL" <(tr -d '\r' < "$log"); then status=1; fi
exit $status
