#!/usr/bin/env bash
# make demo: the main job on the virtual mixer. The package installed, a mixer plugged in, a
# host streaming through the ASIO driver, the raw pin stream and what the mixer saw, the setup
# library's view, and at the end the settings utility open (pictures of its four tabs under
# build/demo/utility) changing a route by real input while the host records: the recording
# switches from the host's own tone to the microphone. Last, the 32-bit part on the 32-bit rig.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig.sh"
out=$root/build/demo
mkdir -p "$out"

rig_start
vmixctl() { "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" "$@"; }
win() { echo "Z:${1//\//\\}"; }

if [ -f "$RKX_X64_BIN/asiocheck.exe" ]; then
  rig_log "the ASIO driver as a host sees it, streaming 4 s at the user's buffer size"
  "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" reset > /dev/null
  # Diagnostics on for this run only, so the driver times its own copies.
  rig_diagnostics on
  "$RKX_WINE" "$RKX_X64_BIN/asiocheck.exe" --seconds 4 --wav "$(win "$out/asio-recorded.wav")"
  rig_diagnostics off
fi

rig_log "the virtual mixer as plugged"
vmixctl plug 0
vmixctl status

rig_log "routing: receive channel 0 -> CH1, CH1 input selector on USB, send channel 0 = Post CH1 Fader"
vmixctl set 0 receive 0 0
vmixctl set 0 selector 0 4
vmixctl set 0 send 0 2
vmixctl clear

rig_log "streaming 3 s at 256 frames; the mixer captures what the host plays"
vmixctl capture 0 4 "$(win "$out/played-by-host.wav")" > "$out/capture.log" 2>&1 &
capture=$!
sleep 0.3
"$RKX_WINE" "$RKX_X64_BIN/vmixstream.exe" --mixer 0 --frames 256 --seconds 3 --tone-out 0 \
  --record "$(win "$out/recorded-by-host.wav")"
wait $capture || true
sed 's/^/   /' "$out/capture.log"

rig_log "what the mixer saw"
vmixctl stats 0
vmixctl journal

if [ -f "$RKX_X64_BIN/rkxsetup.exe" ]; then
  rkxsetup() { "$RKX_WINE" "$RKX_X64_BIN/rkxsetup.exe" "$@"; }
  rig_log "the setup library's view of the mixer"
  rkxsetup status
  rkxsetup versions

  rig_log "a route change through the setup library while the host records"
  rkxsetup set input 1 "Post CH1 Fader"
  vmixctl clear > /dev/null
  "$RKX_WINE" "$RKX_X64_BIN/vmixstream.exe" --mixer 0 --frames 256 --seconds 4 --tone-out 0 \
    --record "$(win "$out/route-change.wav")" > "$out/route-change.log" 2>&1 &
  host=$!
  sleep 2
  echo "   (2 s into the recording) rkxsetup set input 1 MIC"
  rkxsetup set input 1 MIC
  wait $host
  sed 's/^/   /' "$out/route-change.log" | grep -E 'completions|recorded'
  echo "   what send channel 0 carried (the host's tone through CH1, then the microphone):"
  vmixctl analyze "$(win "$out/route-change.wav")" 0 | sed 's/^/   /'
  vmixctl journal | grep -E 'SET_USB_SEND|SELECTOR' | sed 's/^/   /'
fi

utility=$RKX_X64_BIN/RKX-T2_Config.exe
if [ -f "$utility" ] && [ -f "$RKX_X64_BIN/asiocheck.exe" ]; then
  rig_log "the whole package: a host streams through the ASIO driver while the settings utility changes a route"
  vmixctl reset > /dev/null
  vmixctl set 0 certify 0 > /dev/null
  # The user's stored choice for the computer's input 1/2: channel 1 after its fader.
  "$RKX_WINE" "$RKX_X64_BIN/rkxsetup.exe" set input 1 "Post CH1 Fader" > /dev/null
  shots=$out/utility
  mkdir -p "$shots"
  "$RKX_WINE" 'C:\Program Files\Korvane\RKX-T2\RKX-T2_Config.exe' > /dev/null 2>&1 &
  ui=$!
  window=$(timeout 60 xdotool search --sync --name "RKX-T2 Setting Utility" | head -1)
  echo "   utility window open on $DISPLAY (client area 596 x 556)"
  click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep "${3:-1}"; }
  tabs=(input output asio about)
  for tab in 0 1 2 3; do
    click $((29 + 112 * tab + 45)) 72 1.5
    import -window root -crop 602x581+0+0 "$shots/tab$tab-${tabs[$tab]}.png"
  done
  click $((29 + 112 + 45)) 72
  # asiocheck loops output 1/2 through mixer channel 1 (selector on USB, post-fader to the
  # computer's input 1/2) and records input 1/2 while it streams.
  "$RKX_WINE" "$RKX_X64_BIN/asiocheck.exe" --seconds 10 --wav "$(win "$out/utility-route-change.wav")" \
    > "$out/utility-route-change.log" 2>&1 &
  host=$!
  sleep 5
  echo "   (a few seconds into the recording) MIXER OUTPUT, DECK 1/A: choose MIC in the pulldown"
  click 480 292
  import -window root -crop 602x581+0+0 "$shots/menu-open.png"
  click 480 $((307 + 18 * 5 + 15)) 1.5
  import -window root -crop 602x581+0+0 "$shots/after-choice.png"
  wait $host || true
  grep -E 'switches|missed' "$out/utility-route-change.log" | sed 's/^/   /' || true
  echo "   what the host recorded on input 1 (its own 3 kHz tone through CH1, then the microphone):"
  vmixctl analyze "$(win "$out/utility-route-change.wav")" 0 | sed 's/^/   /'
  # Closed the way a user closes it, so it saves its state.
  "$RKX_WINE" taskkill /IM RKX-T2_Config.exe > /dev/null 2>&1 || true
  for _ in $(seq 1 50); do kill -0 $ui 2> /dev/null || break; sleep 0.1; done
  kill $ui 2> /dev/null || true
  wait $ui 2> /dev/null || true
  echo "   pictures of the utility: $shots"
fi

rig_log "files"
echo "   $out/recorded-by-host.wav   what the host recorded (send channels, 8 sub-channels)"
echo "   $out/played-by-host.wav     what the mixer received from the host"
[ -f "$out/route-change.wav" ] && echo "   $out/route-change.wav        the recording across the route change"
[ -f "$out/utility-route-change.wav" ] && echo "   $out/utility-route-change.wav  the host's recording across the change made in the utility"
[ -f "$out/asio-recorded.wav" ] && echo "   $out/asio-recorded.wav       inputs recorded through the ASIO driver"

# The 32-bit builds, as 32-bit hosts and users run them.
rig_stop
"$root/scripts/demo-i686.sh"
