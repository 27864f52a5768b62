#!/usr/bin/env bash
# make bench: streaming through the ASIO driver against the best this machine allows (the raw
# stream probe), then the setup library's call latency and the settings utility's drawing.
# Streaming figures are compared only within one run: the floor and the driver alternate in
# short runs, idle and under a background load the bench starts itself.
#   RT=1                  (root) the Wine server, the device host and the streaming host
#                         under SCHED_FIFO
#   RKX_BENCH_SIZES       buffer sizes in frames (default "64 128 256 1024")
#   RKX_BENCH_ROUNDS      floor/driver pairs per size and condition (default 3)
#   RKX_BENCH_SECONDS     length of one run (default 8)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig.sh"
sizes=${RKX_BENCH_SIZES:-64 128 256 1024}
rounds=${RKX_BENCH_ROUNDS:-3}
seconds=${RKX_BENCH_SECONDS:-8}
realtime=${RT:-0}
out=$RKX_BUILD_ROOT/bench
if [ "$realtime" = 1 ] && [ "$(id -u)" != 0 ]; then
  echo "make bench RT=1 needs root (SCHED_FIFO)" >&2
  exit 2
fi

rig_start
busy=()
stop_busy() {
  local pid
  for pid in "${busy[@]}"; do kill "$pid" 2> /dev/null || true; done
  for pid in "${busy[@]}"; do wait "$pid" 2> /dev/null || true; done
  busy=()
}
# The driver's and the utility's own figures: diagnostics on for the bench, off again at the end.
rig_diagnostics on
trap 'stop_busy; rig_diagnostics off; rig_stop' EXIT
rm -rf "$out"
mkdir -p "$out"

# Real-time mode: the Wine server and every thread of the device host (the virtual mixer's
# clock among them) above the streaming host, which runs above everything else. The kernel
# may throttle real-time threads (50 ms pauses, "RT throttling activated" in its log); such
# runs show periods of 50 ms and more.
if [ "$realtime" = 1 ]; then
  for pid in $(pgrep -f 'wineserver|winedevice.exe'); do chrt -a -f -p 50 "$pid" > /dev/null; done
fi
host() { if [ "$realtime" = 1 ]; then chrt -f 40 "$RKX_WINE" "$@"; else "$RKX_WINE" "$@"; fi; }
in_wine() { echo "Z:${1//\//\\}"; }

# measure KIND FRAMES CONDITION ROUND: one run of the floor (the raw stream probe: two
# transfers in flight per direction, no driver) or of the driver (through the check host),
# appended to runs.txt as one line of figures with the mixer's own counters.
measure() {
  local kind=$1 frames=$2 condition=$3 round=$4
  local log=$out/$kind-$frames-$condition-$round.log
  local periods=$out/periods-$frames-$condition-$kind-$round.txt
  vmixctl clear > /dev/null
  if [ "$kind" = floor ]; then
    host "$RKX_X64_BIN/vmixstream.exe" --mixer 0 --frames "$frames" --seconds "$seconds" \
      --periods "$(in_wine "$periods")" > "$log" 2>&1 || true
  else
    host "$RKX_X64_BIN/asiocheck.exe" --seconds "$seconds" --periods "$(in_wine "$periods")" > "$log" 2>&1 || true
  fi
  vmixctl stats 0 >> "$log"
  awk -v kind="$kind" -v frames="$frames" -v condition="$condition" -v round="$round" '
    /figures switches/ { for (i = 1; i < NF; i++) f[$i] = $(i + 1) }
    /host underruns/ { underruns = $3; slips = $9 }
    /clock lateness/ { lateness = $7 }
    /round trip: [0-9]/ { trip = $3 }
    END {
      if (!("switches" in f)) { print "no figures in this run" > "/dev/stderr"; exit 1 }
      print frames, condition, kind, round, f["switches"], f["missed"], f["late"], f["cpu_us_per_switch"],
            underruns + 0, slips + 0, lateness + 0, trip == "" ? -1 : trip
    }' "$log" >> "$out/runs.txt" || { echo "   $kind run failed: $log"; sed 's/^/   /' "$log" | tail -5; }
}

# The driver's buffer size is the user's setting in the registry. The Wine server writes a
# changed registry out up to 30 s later, in the middle of whatever runs then: the setting is
# changed and written out before a size is measured, not between its runs.
set_driver_frames() {
  local hive=$WINEPREFIX/user.reg before blocks
  blocks=$(printf '0x%x' $(($1 / 64)))
  # An unchanged value is not written out again.
  "$RKX_WINE" reg query 'HKCU\SOFTWARE\RKX-T2 ASIO 64bit' /v blockNum 2> /dev/null | grep -qi "REG_DWORD *$blocks\b" && return 0
  before=$(stat -c %.9Y "$hive")
  "$RKX_WINE" reg add 'HKCU\SOFTWARE\RKX-T2 ASIO 64bit' /v blockNum /t REG_DWORD /d $(($1 / 64)) /f > /dev/null
  for _ in $(seq 1 90); do
    [ "$(stat -c %.9Y "$hive")" != "$before" ] && return 0
    sleep 0.5
  done
  echo "   the registry was not written out within 45 s; a run may meet the write" >&2
}

# measure_size FRAMES CONDITION: floor and driver in turns, so both meet the same machine.
measure_size() {
  local frames=$1 condition=$2 round
  for round in $(seq 1 "$rounds"); do
    measure floor "$frames" "$condition" "$round"
    measure driver "$frames" "$condition" "$round"
  done
}

mode=""
[ "$realtime" = 1 ] && mode=", SCHED_FIFO"
for frames in $sizes; do
  set_driver_frames "$frames"
  rig_log "streaming at $frames frames: floor and driver in turns, $rounds x ${seconds} s each, idle$mode"
  measure_size "$frames" idle
  # A DJ program's own work, stood in for by two busy loops at nice 10.
  for _ in 1 2; do
    nice -n 10 bash -c 'while :; do :; done' &
    busy+=($!)
  done
  rig_log "streaming at $frames frames: the same under 2 busy loops at nice 10$mode"
  measure_size "$frames" loaded
  stop_busy
done
set_driver_frames 256

# The periods of every round merged, per size, condition and side, then the table and a
# picture per size.
for frames in $sizes; do
  for condition in idle loaded; do
    for kind in floor driver; do
      cat "$out"/periods-"$frames-$condition-$kind"-*.txt 2> /dev/null |
        awk '{ n[$1] += $2 } END { for (us in n) print us, n[us] }' | sort -n > "$out/periods-$frames-$condition-$kind.txt"
    done
  done
done
awk -v out="$out" -f "$root/scripts/lib/bench-table.awk" "$out/runs.txt" | tee "$out/table.txt"
if command -v gnuplot > /dev/null; then
  for frames in $sizes; do
    gnuplot -e "out='$out'; frames=$frames; period_us=$((frames * 1000000 / 48000))" \
      "$root/scripts/lib/callback-periods.gp" 2> "$out/gnuplot-$frames.log" &&
      echo "   picture: $out/callback-periods-$frames.png" ||
      echo "   no picture for $frames frames: see $out/gnuplot-$frames.log"
  done
fi

# Setup library: per-call latency against the virtual mixer, with a second process registered
# for the change notifications (so every setter announces to it), with one and with two mixers.
if [ -f "$RKX_X64_BIN/setup_latency.exe" ]; then
  "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" reset > /dev/null
  "$RKX_WINE" "$RKX_X64_BIN/rkxsetup.exe" watch > /dev/null 2>&1 &
  watcher=$!
  sleep 1
  for mixers in 1 2; do
    "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" mixers "$mixers" > /dev/null
    rig_log "setup library call latency, $mixers mixer(s), a watcher registered"
    "$RKX_WINE" "$RKX_X64_BIN/setup_latency.exe"
  done
  kill "$watcher" 2> /dev/null || true
  wait "$watcher" 2> /dev/null || true
fi

# Settings utility: time from process start to the first complete paint, the cost of one full
# paint (the connection changes below each repaint the window) and of one 100 ms blink tick,
# as the utility itself measures them while diagnostics are on.
if [ -f "$RKX_X64_BIN/RKX-T2_Config.exe" ]; then
  rig_log "settings utility drawing (goals: first paint < 1000 ms, full paint < 30 ms, blink tick < 3 ms)"
  timing=$RKX_DIAGNOSTICS_DIR/utility-paint-timing.txt
  rm -f "$timing"
  "$RKX_WINE" reg add 'HKCU\Software\Korvane\RKX-T2' /v Tab /t REG_DWORD /d 0 /f > /dev/null
  "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" plug 0 > /dev/null
  "$RKX_WINE" "$RKX_X64_BIN/RKX-T2_Config.exe" > /dev/null 2>&1 &
  utility=$!
  sleep 3
  for _ in 1 2 3 4 5; do
    "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" unplug 0 > /dev/null
    sleep 0.5
    "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" plug 0 > /dev/null
    sleep 0.5
  done
  sleep 2.5
  kill "$utility" 2> /dev/null || true
  wait "$utility" 2> /dev/null || true
  sed 's/^/   /' "$timing" 2> /dev/null || echo "   the utility wrote no figures"
fi
