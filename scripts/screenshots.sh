#!/usr/bin/env bash
# make screenshots: the settings utility in every UI language, on every tab, with the mixer
# connected and unplugged, and with a popup menu open on each routing page, as PNG files in
# $RKX_BUILD_ROOT/screenshots/:
#   LANGID-connected|unplugged-TAB-NAME.png     the four tabs
#   LANGID-connected-0-input-menu.png           the MIXER INPUT page, a row's pulldown open
#   LANGID-connected-1-output-menu.png          the MIXER OUTPUT page, a row's pulldown open
# Connected means the mixer is not in use with certified software, so routing is open. One
# utility start per language and state; tabs are switched by clicking them. A picture that
# fails does not end the series; the summary counts them and the exit status tells.
# RKX_SCREENSHOT_LANGUAGES="1041 1042" limits the languages.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/rig.sh"
out=$RKX_BUILD_ROOT/screenshots
utility=$RKX_X64_BIN/RKX-T2_Config.exe
read -r -a languages <<< "${RKX_SCREENSHOT_LANGUAGES:-1028 1031 1033 1036 1040 1041 1042 1043 1049 2052 2070 3082}"
tabs=(input output asio about)
# Client coordinates of the tab strip and of the routing rows' pulldowns.
tab_x() { echo $((29 + 112 * $1 + 45)); }
tab_y=72
pulldown_x=480
pulldown_y() { echo $((292 + 32 * $1)); }
input_menu_row=0
output_menu_row=2
[ -f "$utility" ] || { echo "RKX-T2_Config.exe is not built: run scripts/build.sh" >&2; exit 1; }
mkdir -p "$out"

written=0
failed=()
fail() {
  failed+=("$1")
  echo "   no picture $1: $2" >&2
}

reg_dword() { "$RKX_WINE" reg add "$1" /v "$2" /t REG_DWORD /d "$3" /f > /dev/null 2>&1; }

# The UI language, and the window opening on the input tab at the top-left of the screen: one
# registry import per start.
registry_values() {
  local reg
  reg=$(mktemp --suffix=.reg)
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\RKX-T2]\r\n"InstallLanguage"=dword:%08x\r\n\r\n[HKEY_CURRENT_USER\\Software\\Korvane\\RKX-T2]\r\n"Tab"=dword:00000000\r\n"PosX"=dword:00000000\r\n"PosY"=dword:00000000\r\n' "$1" > "$reg"
  "$RKX_WINE" regedit /S "Z:${reg//\//\\}"
  rm -f "$reg"
}

# X windows of the utility: "id WxH+X+Y" (absolute position) per line, top-level ones with
# their children, from xwininfo's tree.
utility_windows() {
  xwininfo -root -tree 2> /dev/null |
    awk '/"rkx-t2_config.exe"/ && !/RKX-T2SetupDllWin|Default IME/ {
           for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { split($i, g, "+"); size = g[1] }
           abs = $NF; sub(/^\+/, "", abs); split(abs, a, "+")
           print $1, size "+" a[1] "+" a[2]
         }'
}

# The main window's client area (596 x 556): its X window id.
client_window() { utility_windows | awk '$2 ~ /^596x556\+/ { print $1; exit }'; }

viewable() { xwininfo -id "$1" 2> /dev/null | grep -q 'Map State: IsViewable'; }

# A viewable window of the utility that is neither the main window nor inside it: the popup
# menu. Prints its geometry.
popup_geometry() {
  local id geometry size x y w h
  while read -r id geometry; do
    size=${geometry%%+*}
    w=${size%x*} h=${size#*x}
    x=$(echo "$geometry" | cut -d+ -f2) y=$(echo "$geometry" | cut -d+ -f3)
    # Inside the frame (at most 610 x 600 at the top-left) is the main window or its client.
    [ "$w" -ge 590 ] && [ "$h" -ge 550 ] && continue
    [ "$w" -le 40 ] || [ "$h" -le 40 ] && continue
    viewable "$id" || continue
    echo "$w $h $x $y"
    return 0
  done < <(utility_windows)
  return 1
}

utility_pid=""
client=""
client_x=0
client_y=0
# Starts the utility and waits for its window and first paints.
open_utility() {
  "$RKX_WINE" "$utility" > /dev/null 2>&1 &
  utility_pid=$!
  local geometry
  for _ in $(seq 1 300); do
    client=$(client_window)
    if [ -n "$client" ] && viewable "$client"; then
      geometry=$(utility_windows | awk -v id="$client" '$1 == id { print $2 }')
      client_x=$(echo "$geometry" | cut -d+ -f2)
      client_y=$(echo "$geometry" | cut -d+ -f3)
      sleep 1.5 # the first paints and a blink step
      return 0
    fi
    kill -0 "$utility_pid" 2> /dev/null || break
    sleep 0.1
  done
  echo "   the utility's window did not appear" >&2
  return 1
}

# Closed as a user closes it; forced when it does not go.
close_utility() {
  [ -n "$utility_pid" ] || return 0
  "$RKX_WINE" taskkill /IM RKX-T2_Config.exe > /dev/null 2>&1 || true
  for _ in $(seq 1 50); do
    kill -0 "$utility_pid" 2> /dev/null || break
    sleep 0.1
  done
  kill -KILL "$utility_pid" 2> /dev/null || true
  wait "$utility_pid" 2> /dev/null || true
  utility_pid=""
  # The single-instance mutex goes with the process: a window left over would be raised
  # instead of a new one starting.
  for _ in $(seq 1 50); do
    [ -n "$(client_window)" ] || return 0
    sleep 0.1
  done
}

click() { xdotool mousemove --window "$client" "$1" "$2" click 1 || echo "   xdotool could not click" >&2; }

# The client area, or with a popup open the area that holds both.
capture() {
  local file=$1 w=596 h=556 x=$client_x y=$client_y
  if [ -n "${2:-}" ]; then
    local pw ph px py
    read -r pw ph px py <<< "$2"
    w=$(( (px + pw > x + w ? px + pw : x + w) - x ))
    h=$(( (py + ph > y + h ? py + ph : y + h) - y ))
  fi
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$file" 2> /dev/null && [ -s "$file" ]
}

shoot_tab() {
  local name=$1 tab=$2
  if [ "$tab" -gt 0 ]; then
    click "$(tab_x "$tab")" "$tab_y"
    sleep 0.8
  fi
  if capture "$out/$name"; then written=$((written + 1)); else fail "$name" "capture failed"; fi
}

# Opens the pulldown of `row`, takes the picture, and closes the menu with a click on the
# title band.
shoot_menu() {
  local name=$1 row=$2 geometry=""
  click "$pulldown_x" "$(pulldown_y "$row")"
  for _ in $(seq 1 30); do
    geometry=$(popup_geometry) && break
    sleep 0.1
  done
  if [ -z "$geometry" ]; then
    fail "$name" "the menu did not open"
    return 0
  fi
  sleep 0.5 # painted, with its shadow
  if capture "$out/$name" "$geometry"; then written=$((written + 1)); else fail "$name" "capture failed"; fi
  click 300 20
  for _ in $(seq 1 30); do
    popup_geometry > /dev/null || return 0
    sleep 0.1
  done
  # Still open: the next tab click closes it first.
  click 300 20
}

rig_start
for language in "${languages[@]}"; do
  rm -f "$out/$language-"*.png
  for state in connected unplugged; do
    if [ "$state" = connected ]; then action=plug; else action=unplug; fi
    vmixctl "$action" 0 > /dev/null 2>&1 || echo "   vmixctl $action failed" >&2
    # Not in use with certified software: routing is open and the pulldowns take clicks.
    [ "$state" = unplugged ] || vmixctl set 0 certify 0 > /dev/null 2>&1 || echo "   vmixctl set certify failed" >&2
    registry_values "$language" || echo "   could not write the registry values" >&2
    if ! open_utility; then
      for tab in 0 1 2 3; do fail "$language-$state-$tab-${tabs[$tab]}.png" "no window"; done
      if [ "$state" = connected ]; then
        fail "$language-connected-0-input-menu.png" "no window"
        fail "$language-connected-1-output-menu.png" "no window"
      fi
      close_utility
      continue
    fi
    for tab in 0 1 2 3; do
      shoot_tab "$language-$state-$tab-${tabs[$tab]}.png" "$tab"
      if [ "$state" = connected ] && [ "$tab" -eq 0 ]; then
        shoot_menu "$language-connected-0-input-menu.png" "$input_menu_row"
      elif [ "$state" = connected ] && [ "$tab" -eq 1 ]; then
        shoot_menu "$language-connected-1-output-menu.png" "$output_menu_row"
      fi
    done
    close_utility
  done
  rig_log "language $language done"
done
vmixctl plug 0 > /dev/null 2>&1 || true
reg_dword 'HKLM\Software\Korvane\RKX-T2' InstallLanguage 1033 || true
rig_log "$written pictures written, ${#failed[@]} failed, in $out"
for name in "${failed[@]}"; do echo "   failed: $name"; done
[ "${#failed[@]}" -eq 0 ]
