#!/usr/bin/env bash
# make demo: the main job on the virtual mixer. Plugs a mixer, routes the computer's audio
# through mixer channel 1 and back, streams a few seconds through the pin the way a
# hardware-paced host does, and prints what the mixer saw.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/bench.sh"
out=$root/build/demo
mkdir -p "$out"

bench_start
vmixctl() { "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" "$@"; }
win() { echo "Z:${1//\//\\}"; }

if [ -f "$RKX_X64_BIN/asiocheck.exe" ]; then
  bench_log "the ASIO driver as a host sees it, streaming 4 s at the user's buffer size"
  "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" reset > /dev/null
  "$RKX_WINE" "$RKX_X64_BIN/asiocheck.exe" --seconds 4 --wav "$(win "$out/asio-recorded.wav")"
fi

bench_log "the virtual mixer as plugged"
vmixctl plug 0
vmixctl status

bench_log "routing: receive channel 0 -> CH1, CH1 input selector on USB, send channel 0 = Post CH1 Fader"
vmixctl set 0 receive 0 0
vmixctl set 0 selector 0 4
vmixctl set 0 send 0 2
vmixctl clear

bench_log "streaming 3 s at 256 frames; the mixer captures what the host plays"
vmixctl capture 0 4 "$(win "$out/played-by-host.wav")" > "$out/capture.log" 2>&1 &
capture=$!
sleep 0.3
"$RKX_WINE" "$RKX_X64_BIN/vmixstream.exe" --mixer 0 --frames 256 --seconds 3 --tone-out 0 \
  --record "$(win "$out/recorded-by-host.wav")"
wait $capture || true
sed 's/^/   /' "$out/capture.log"

bench_log "what the mixer saw"
vmixctl stats 0
vmixctl journal

if [ -f "$RKX_X64_BIN/rkxsetup.exe" ]; then
  rkxsetup() { "$RKX_WINE" "$RKX_X64_BIN/rkxsetup.exe" "$@"; }
  bench_log "the setup library's view of the mixer"
  rkxsetup status
  rkxsetup versions

  bench_log "a route change through the setup library while the host records"
  rkxsetup set input 0 "Post CH1 Fader"
  vmixctl clear > /dev/null
  "$RKX_WINE" "$RKX_X64_BIN/vmixstream.exe" --mixer 0 --frames 256 --seconds 4 --tone-out 0 \
    --record "$(win "$out/route-change.wav")" > "$out/route-change.log" 2>&1 &
  host=$!
  sleep 2
  echo "   (2 s into the recording) rkxsetup set input 0 MIC"
  rkxsetup set input 0 MIC
  wait $host
  sed 's/^/   /' "$out/route-change.log" | grep -E 'completions|recorded'
  echo "   what send channel 0 carried (the host's tone through CH1, then the microphone):"
  vmixctl analyze "$(win "$out/route-change.wav")" 0 | sed 's/^/   /'
  vmixctl journal | grep -E 'SET_USB_SEND|SELECTOR' | sed 's/^/   /'
fi

bench_log "files"
echo "   $out/recorded-by-host.wav   what the host recorded (send channels, 8 sub-channels)"
echo "   $out/played-by-host.wav     what the mixer received from the host"
[ -f "$out/route-change.wav" ] && echo "   $out/route-change.wav        the recording across the route change"
[ -f "$out/asio-recorded.wav" ] && echo "   $out/asio-recorded.wav       inputs recorded through the ASIO driver"
true
