#!/usr/bin/env bash
# make test: fresh rigs with the package installed and the virtual mixer loaded, every test of
# both trees (x86_64 under Wine on three rigs side by side, then i686 on the 32-bit rig, timed on
# its own line) and the streaming engine's native unit tests; at the end, where the time went.
# Arguments go to ctest, e.g. -R Plugging. RKX_RIGS sets the number of x86_64 rigs (3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig.sh"
rigs=${RKX_RIGS:-3}
logs=$RKX_BUILD_ROOT/test-logs
mkdir -p "$logs"
status=0

# ctest's "N/M Test #K: name ....   Passed   1.23 sec" lines -> "name seconds"
test_times() { sed -n -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec$/\1 \2/p' "$1"; }

started=$SECONDS
rig_start --fresh-prefix --rigs "$rigs"
rigs_ready=$((SECONDS - started))
rig_log "x86_64 tests (under Wine, $rigs rigs)"
started=$SECONDS
ctest --test-dir "$RKX_BUILD_ROOT/x86_64" --output-on-failure --resource-spec-file "$(rig_pool_file "$rigs" "$RKX_BUILD_ROOT/rigs.json")" \
  -j $((rigs + 1)) "$@" 2>&1 | tee "$logs/x86_64.log" || status=1
x86_64_tests=$((SECONDS - started))
rig_stop

started=$SECONDS
"$root/scripts/run-tests-i686.sh" "$@" 2>&1 | tee "$logs/i686.log" || status=1
i686_rig=$((SECONDS - started))
rig_log "i686 tests on the 32-bit rig: $i686_rig s"

rig_log "native tests (the streaming engine, under ThreadSanitizer)"
started=$SECONDS
ctest --test-dir "$RKX_BUILD_ROOT/native" --output-on-failure "$@" 2>&1 | tee "$logs/native.log" || status=1
native_tests=$((SECONDS - started))

# Where the time went: the build of this make (scripts/build.sh), the rigs, each tree's tests
# (wall time; the programs' own times overlap, the rigs run side by side), the slowest programs.
rig_log "where the time went"
# The two architectures build at once: their wall time counts, then the native tree's.
declare -A built=()
if [ -f "$RKX_BUILD_ROOT/build-times.txt" ]; then
  while read -r _ tree seconds; do built[$tree]=$seconds; done < "$RKX_BUILD_ROOT/build-times.txt"
fi
printf '   %-34s %5d s  (x86_64 %d s, i686 %d s)\n' "build x86_64 and i686 at once" \
  "${built[both-trees]:-0}" "${built[x86_64]:-0}" "${built[i686]:-0}"
printf '   %-34s %5d s\n' "build native" "${built[native]:-0}"
build_total=$(( ${built[both-trees]:-0} + ${built[native]:-0} ))
printf '   %-34s %5d s\n' "x86_64 rigs made ($rigs)" "$rigs_ready" "x86_64 tests" "$x86_64_tests" \
  "native tests" "$native_tests"
counted=$((build_total + rigs_ready + x86_64_tests + native_tests))
printf '   %-34s %5d s  (%dm %02ds)\n' "make test without the 32-bit rig" "$counted" \
  $((counted / 60)) $((counted % 60))
printf '   %-34s %5d s\n' "32-bit rig (i686 tests)" "$i686_rig"
for tree in x86_64 i686; do
  echo "   slowest $tree programs (seconds):"
  test_times "$logs/$tree.log" | sort -k2 -n -r | head -8 | awk '{ printf "      %-44s %7.1f\n", $1, $2 }'
done
exit $status
