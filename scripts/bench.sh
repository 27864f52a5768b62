#!/usr/bin/env bash
# make bench: the virtual mixer's completion period at 64 and 256 frames, seen from the host
# (wake-ups after each completion) and from the mixer's own audio clock.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig.sh"
seconds=${RKX_BENCH_SECONDS:-10}

rig_start
# The driver's and the utility's own figures: diagnostics on for the bench, off again at the end.
rig_diagnostics on
trap 'rig_diagnostics off; rig_stop' EXIT
for frames in 64 256; do
  rig_log "$frames frames per block, ${seconds} s"
  "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" clear > /dev/null
  "$RKX_WINE" "$RKX_X64_BIN/vmixstream.exe" --mixer 0 --frames "$frames" --seconds "$seconds"
done

# ASIO driver through the check host: buffer switches, missed and late ones, callback period,
# round trip and the driver's own time per switch against a plain memcpy of the same bytes, at
# the buffer sizes a user would choose. Each is followed by the raw stream probe at the same
# size (same two transfers in flight, no driver): what Wine and the machine's load allow.
if [ -f "$RKX_X64_BIN/asiocheck.exe" ]; then
  asio_seconds=${RKX_BENCH_ASIO_SECONDS:-60}
  for frames in 64 128 256 1024; do
    rig_log "ASIO driver, $frames frames, ${asio_seconds} s (load $(cut -d' ' -f1-3 /proc/loadavg))"
    "$RKX_WINE" reg add 'HKCU\SOFTWARE\RKX-T2 ASIO 64bit' /v blockNum /t REG_DWORD /d $((frames / 64)) /f > /dev/null
    "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" reset > /dev/null
    "$RKX_WINE" "$RKX_X64_BIN/asiocheck.exe" --seconds "$asio_seconds"
    "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" stats 0 | grep -E 'underruns'
    rig_log "raw stream probe, $frames frames, ${seconds} s (load $(cut -d' ' -f1-3 /proc/loadavg))"
    "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" reset > /dev/null
    "$RKX_WINE" "$RKX_X64_BIN/vmixstream.exe" --mixer 0 --frames "$frames" --seconds "$seconds"
  done
  "$RKX_WINE" reg add 'HKCU\SOFTWARE\RKX-T2 ASIO 64bit' /v blockNum /t REG_DWORD /d 4 /f > /dev/null
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
