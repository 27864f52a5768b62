#!/usr/bin/env bash
# make bench: the virtual mixer's completion period at 64 and 256 frames, seen from the host
# (wake-ups after each completion) and from the mixer's own audio clock.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/bench.sh"
seconds=${RKX_BENCH_SECONDS:-10}

bench_start
for frames in 64 256; do
  bench_log "$frames frames per block, ${seconds} s"
  "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" clear > /dev/null
  "$RKX_WINE" "$RKX_X64_BIN/vmixstream.exe" --mixer 0 --frames "$frames" --seconds "$seconds"
done

# ASIO driver through the check host: buffer switches, missed and late ones, callback period,
# round trip and the driver's own time per switch, at the buffer sizes a user would choose.
if [ -f "$RKX_X64_BIN/asiocheck.exe" ]; then
  asio_seconds=${RKX_BENCH_ASIO_SECONDS:-60}
  for frames in 64 128 256 1024; do
    bench_log "ASIO driver, $frames frames, ${asio_seconds} s"
    "$RKX_WINE" reg add 'HKCU\SOFTWARE\RKX-T2 ASIO 64bit' /v blockNum /t REG_DWORD /d $((frames / 64)) /f > /dev/null
    "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" reset > /dev/null
    "$RKX_WINE" "$RKX_X64_BIN/asiocheck.exe" --seconds "$asio_seconds"
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
    bench_log "setup library call latency, $mixers mixer(s), a watcher registered"
    "$RKX_WINE" "$RKX_X64_BIN/setup_latency.exe"
  done
  kill "$watcher" 2> /dev/null || true
  wait "$watcher" 2> /dev/null || true
fi
