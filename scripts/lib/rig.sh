# A rig session: an X display for anything drawn, a Wine prefix kept alive, the package
# installed and the virtual mixer loaded. Sourced by the test, demo, bench and stress scripts:
#   rig_start; ...; rig_stop   (rig_start arranges rig_stop on exit)
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

RKX_X64_BIN=$RKX_BUILD_ROOT/x86_64/bin
RKX_XVFB_PID=""

rig_log() { echo "== $*"; }

rig_start_display() {
  local display
  for display in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
  done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp > "$WINEPREFIX.xvfb.log" 2>&1 &
  RKX_XVFB_PID=$!
  export DISPLAY=":$display"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && return 0
    sleep 0.05
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

# vmixctl under Wine, quietly.
vmixctl() { "$RKX_WINE" "$RKX_X64_BIN/vmixctl.exe" "$@"; }

rig_load_virtual_mixer() {
  "$RKX_WINE" sc start RKX-T2Audio > "$WINEPREFIX.sc.log" 2>&1 < /dev/null || true
  for _ in $(seq 1 40); do
    if vmixctl reset > /dev/null 2>&1; then return 0; fi
    sleep 0.25
  done
  echo "The virtual mixer did not load (see $WINEPREFIX.sc.log)" >&2
  return 1
}

# The machine-wide diagnostics switch (administrator only; see the README): "on" makes the
# driver and the utility write their timing figures to RKX_DIAGNOSTICS_DIR, "off" removes it.
RKX_DIAGNOSTICS_DIR=$WINEPREFIX/drive_c/ProgramData/Korvane/RKX-T2/Diagnostics
rig_diagnostics() {
  if [ "$1" = on ]; then
    "$RKX_WINE" reg add 'HKLM\SOFTWARE\Korvane\RKX-T2' /v Diagnostics /t REG_DWORD /d 1 /f > /dev/null
  else
    "$RKX_WINE" reg delete 'HKLM\SOFTWARE\Korvane\RKX-T2' /v Diagnostics /f > /dev/null 2>&1 || true
  fi
}

rig_stop() {
  "$WINESERVER" -k > /dev/null 2>&1 || true
  if [ -n "$RKX_XVFB_PID" ]; then
    kill "$RKX_XVFB_PID" 2> /dev/null || true
    wait "$RKX_XVFB_PID" 2> /dev/null || true
    RKX_XVFB_PID=""
  fi
}

# Options: --fresh-prefix makes a new prefix first.
rig_start() {
  if [ "${1:-}" = "--fresh-prefix" ] || [ ! -d "$WINEPREFIX/drive_c" ]; then
    "$RKX_ROOT/scripts/make-prefix.sh"
  fi
  trap rig_stop EXIT
  rig_start_display
  # Keep the prefix (and with it services and kernel drivers) alive between processes.
  "$WINESERVER" -p
  rig_log "installing the package into the prefix"
  "$RKX_ROOT/scripts/install-package.sh" install > "$WINEPREFIX.install.log"
  sed 's/^/   /' "$WINEPREFIX.install.log"
  rig_log "loading the virtual mixer"
  rig_load_virtual_mixer
}
