#!/usr/bin/env bash
# make screenshots: the settings utility in every UI language, on every tab, with the mixer
# connected and unplugged, as PNG files in build/screenshots/ (LANGID-state-tabN.png).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/bench.sh"
out=$root/build/screenshots
utility=$RKX_X64_BIN/RKX-T2_Config.exe
languages=(1028 1031 1033 1036 1040 1041 1042 1043 1049 2052 2070 3082)
tabs=(input output asio about)
[ -f "$utility" ] || { echo "RKX-T2_Config.exe is not built: run scripts/build.sh" >&2; exit 1; }
mkdir -p "$out"

reg_dword() { "$RKX_WINE" reg add "$1" /v "$2" /t REG_DWORD /d "$3" /f > /dev/null; }

# The tab to open on, at the top-left of the screen: one registry write per picture.
user_values() {
  local reg
  reg=$(mktemp --suffix=.reg)
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Korvane\\RKX-T2]\r\n"Tab"=dword:%08x\r\n"PosX"=dword:00000000\r\n"PosY"=dword:00000000\r\n' "$1" > "$reg"
  "$RKX_WINE" regedit /S "Z:${reg//\//\\}"
  rm -f "$reg"
}

# The X window of the utility's main window (596 x 556, the client area), if any.
utility_window() {
  xwininfo -root -tree 2> /dev/null |
    awk '/"rkx-t2_config.exe"/ && / 596x556\+/ && !/RKX-T2SetupDllWin|Default IME/ { print $1; exit }'
}

# Starts the utility and waits for its window: sets utility_pid and window.
utility_pid=""
window=""
open_utility() {
  "$RKX_WINE" "$utility" > /dev/null 2>&1 &
  utility_pid=$!
  for _ in $(seq 1 300); do
    window=$(utility_window)
    if [ -n "$window" ]; then
      sleep 1.5 # the first paints and a blink step
      return 0
    fi
    sleep 0.1
  done
  echo "the utility's window did not appear" >&2
  return 1
}

close_utility() {
  kill "$utility_pid" 2> /dev/null || true
  wait "$utility_pid" 2> /dev/null || true
  # The single-instance mutex goes with the process; wait until no window is left.
  for _ in $(seq 1 50); do
    [ -n "$(utility_window)" ] || return 0
    sleep 0.1
  done
}

bench_start
count=0
for language in "${languages[@]}"; do
  reg_dword 'HKLM\Software\Korvane\RKX-T2' InstallLanguage "$language"
  for state in connected unplugged; do
    if [ "$state" = connected ]; then vmixctl plug 0 > /dev/null; else vmixctl unplug 0 > /dev/null; fi
    for tab in 0 1 2 3; do
      file=$out/$language-$state-$tab-${tabs[$tab]}.png
      # One picture that fails (a slow start on a loaded machine) does not end the series.
      if user_values "$tab" && open_utility && import -window "$window" "$file"; then
        count=$((count + 1))
      else
        echo "no picture $(basename "$file")" >&2
      fi
      close_utility
    done
  done
  bench_log "language $language done"
done
vmixctl plug 0 > /dev/null
reg_dword 'HKLM\Software\Korvane\RKX-T2' InstallLanguage 1033
bench_log "$count pictures in $out"
