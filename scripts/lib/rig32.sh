# The 32-bit rig session, step for step as the 64-bit one (rig.sh): an X display, the 32-bit
# prefix kept alive, the 32-bit builds installed and the i686 virtual mixer loaded, all by
# 32-bit Wine under qemu-i386 (the i386 root of scripts/make-i386-root.sh). Sourced:
#   rig32_start [--fresh-prefix]; ...; rig32_stop   (rig32_start arranges rig32_stop on exit)
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wine32-env.sh"

# The i686 vmixctl under the 32-bit Wine, quietly.
vmixctl32() { wine32 "$RKX_I686_BIN/vmixctl.exe" "$@"; }

rig32_load_virtual_mixer() {
  wine32 sc start RKX-T2Audio > "$RKX_WINEPREFIX32.sc.log" 2>&1 < /dev/null || true
  for _ in $(seq 1 40); do
    if vmixctl32 reset > /dev/null 2>&1; then return 0; fi
    sleep 0.5
  done
  echo "The i686 virtual mixer did not load (see $RKX_WINEPREFIX32.sc.log)" >&2
  return 1
}

rig32_stop() {
  wineserver32 -k > /dev/null 2>&1 || true
  rig_stop_displays
}

rig32_start() {
  local started=$SECONDS
  # The root is made once per machine; this also registers qemu-i386 after a reboot.
  "$RKX_ROOT/scripts/make-i386-root.sh" > /dev/null
  if [ "${1:-}" = "--fresh-prefix" ] || [ ! -d "$RKX_WINEPREFIX32/drive_c" ]; then
    "$RKX_ROOT/scripts/make-prefix.sh" --i686
  fi
  trap rig32_stop EXIT
  WINEPREFIX=$RKX_WINEPREFIX32 rig_start_display
  wineserver32 -p
  rig_log "installing the 32-bit builds into the 32-bit prefix"
  "$RKX_ROOT/scripts/install-package-i686.sh" > "$RKX_WINEPREFIX32.install.log"
  sed 's/^/   /' "$RKX_WINEPREFIX32.install.log"
  rig_log "loading the i686 virtual mixer"
  rig32_load_virtual_mixer
  rig_log "32-bit rig ready in $((SECONDS - started)) s"
}
