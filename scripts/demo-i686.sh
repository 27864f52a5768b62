#!/usr/bin/env bash
# make demo's 32-bit part: the 32-bit builds on the 32-bit rig. A 32-bit host (asiocheck i686)
# streams through the 32-bit ASIO driver and the i686 virtual mixer, and the 32-bit settings
# utility opens, its window pictured under build/demo/utility-i686.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig32.sh"
out=$RKX_BUILD_ROOT/demo
mkdir -p "$out/utility-i686"
win() { echo "Z:${1//\//\\}"; }

rig32_start
rig_log "32-bit: a 32-bit host streams 4 s through the 32-bit ASIO driver"
vmixctl32 reset > /dev/null
wine32 "$RKX_I686_BIN/asiocheck.exe" --seconds 4 --wav "$(win "$out/asio-recorded-i686.wav")" < /dev/null

rig_log "32-bit: the setup library's view, from the 32-bit library"
wine32 "$RKX_I686_BIN/rkxsetup.exe" versions < /dev/null

rig_log "32-bit: the settings utility"
wine32 'C:\Program Files\Korvane\RKX-T2\RKX-T2_Config.exe' > /dev/null 2>&1 < /dev/null &
ui=$!
window=$(timeout 120 xdotool search --sync --name "RKX-T2 Setting Utility" | head -1)
shots=$out/utility-i686
tabs=(input output asio about)
for tab in 0 1 2 3; do
  xdotool mousemove --window "$window" $((29 + 112 * tab + 45)) 72 click 1
  sleep 3
  import -window root -crop 602x581+0+0 "$shots/tab$tab-${tabs[$tab]}.png"
done
wine32 taskkill /IM RKX-T2_Config.exe > /dev/null 2>&1 < /dev/null || true
for _ in $(seq 1 100); do kill -0 $ui 2> /dev/null || break; sleep 0.1; done
kill $ui 2> /dev/null || true
wait $ui 2> /dev/null || true
echo "   pictures of the 32-bit utility: $shots"
echo "   $out/asio-recorded-i686.wav  inputs recorded by the 32-bit host through the 32-bit driver"
