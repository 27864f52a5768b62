# A rig session: an X display for anything drawn, a Wine prefix kept alive, the package
# installed and the virtual mixer loaded. Sourced by the test, demo, bench and stress scripts:
#   rig_start [--fresh-prefix] [--rigs N]; ...; rig_stop   (rig_start arranges rig_stop on exit)
# With --rigs N (make test) there are N rigs side by side, each a copy of the first with its
# own prefix, Wine server, X display and virtual mixer; ctest hands each test one of them
# (rig_pool_file, and wine-env.sh's choice by CTEST_RESOURCE_GROUP_0_RIG).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

RKX_X64_BIN=$RKX_BUILD_ROOT/x86_64/bin
RKX_XVFB_PIDS=()
RKX_RIG_COUNT=1
# The booted prefix before anything is installed, made once per build root and copied.
RKX_PRISTINE_PREFIX=$RKX_BUILD_ROOT/wineprefix-pristine

rig_log() { echo "== $*"; }

# An X display for the prefix $WINEPREFIX; its name is also kept in $WINEPREFIX.display.
rig_start_display() {
  local display
  for display in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
  done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp > "$WINEPREFIX.xvfb.log" 2>&1 &
  RKX_XVFB_PIDS+=($!)
  export DISPLAY=":$display"
  echo "$DISPLAY" > "$WINEPREFIX.display"
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

rig_stop_displays() {
  local pid
  for pid in "${RKX_XVFB_PIDS[@]}"; do
    kill "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
  done
  RKX_XVFB_PIDS=()
}

rig_stop() {
  local rig
  for rig in $(seq 1 "$RKX_RIG_COUNT"); do
    WINEPREFIX=$(rig_prefix "$rig") "$WINESERVER" -k > /dev/null 2>&1 || true
  done
  rig_stop_displays
}

# Rig 1 is the prefix every script knows ($WINEPREFIX); rig N its copy beside it.
RKX_RIG1_PREFIX=$WINEPREFIX
rig_prefix() {
  if [ "$1" = 1 ]; then echo "$RKX_RIG1_PREFIX"; else echo "$RKX_RIG1_PREFIX-$1"; fi
}

# The rigs as ctest's pool of resources: one "rig" of one slot per rig, in FILE.
#   rig_pool_file COUNT FILE   prints FILE
rig_pool_file() {
  local count=$1 file=$2 rig entries=""
  for rig in $(seq 1 "$count"); do
    entries+="${entries:+, }{\"id\": \"$rig\", \"slots\": 1}"
  done
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"rig": [%s]}]}\n' "$entries" > "$file"
  echo "$file"
}

# Options: --fresh-prefix starts from the pristine prefix (booting it once per build root);
# --rigs N makes N rigs.
rig_start() {
  local fresh=0 rig prefix
  while [ $# -gt 0 ]; do
    case $1 in
      --fresh-prefix) fresh=1; shift ;;
      --rigs) RKX_RIG_COUNT=$2; shift 2 ;;
      *) echo "rig_start: unknown option $1" >&2; return 2 ;;
    esac
  done
  trap rig_stop EXIT
  if [ $fresh = 1 ] || [ ! -d "$WINEPREFIX/drive_c" ]; then
    [ -d "$RKX_PRISTINE_PREFIX/drive_c" ] || WINEPREFIX=$RKX_PRISTINE_PREFIX "$RKX_ROOT/scripts/make-prefix.sh"
    "$WINESERVER" -k > /dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    cp -a "$RKX_PRISTINE_PREFIX" "$WINEPREFIX"
  fi
  rig_log "installing the package into the prefix"
  "$RKX_ROOT/scripts/install-package.sh" install > "$WINEPREFIX.install.log"
  sed 's/^/   /' "$WINEPREFIX.install.log"
  # The installer's Wine server writes the registry out and ends before the rig's own starts
  # (a persistent server cannot be started beside it). The other rigs are copies of the
  # installed prefix.
  timeout 60 "$WINESERVER" -w || "$WINESERVER" -k > /dev/null 2>&1 || true
  if [ "$RKX_RIG_COUNT" -gt 1 ]; then
    for rig in $(seq 2 "$RKX_RIG_COUNT"); do
      prefix=$(rig_prefix "$rig")
      WINEPREFIX=$prefix "$WINESERVER" -k > /dev/null 2>&1 || true
      rm -rf "$prefix"
      cp -a "$WINEPREFIX" "$prefix"
    done
  fi
  for rig in $(seq "$RKX_RIG_COUNT" -1 1); do
    # Rig 1 last, so its display and prefix stay this shell's own.
    WINEPREFIX=$(rig_prefix "$rig")
    rig_start_display
    # Keep the prefix (and with it services and kernel drivers) alive between processes.
    "$WINESERVER" -p
    if [ "$RKX_RIG_COUNT" -gt 1 ]; then rig_log "loading the virtual mixer (rig $rig)"; else rig_log "loading the virtual mixer"; fi
    rig_load_virtual_mixer
  done
  export WINEPREFIX
}
