# Environment of the 32-bit rig: 32-bit Wine inside the i386 root (scripts/make-i386-root.sh)
# with its own prefix, a plain 32-bit Windows. Sourced by the scripts that run i686 builds.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/i386-root.sh"

export RKX_WINEPREFIX32=${RKX_WINEPREFIX32:-$RKX_BUILD_ROOT/wineprefix32}
RKX_I686_BIN=$RKX_BUILD_ROOT/i686/bin
# The 32-bit rig is one rig with a display of its own (scripts/lib/rig32.sh).
if [ -n "${CTEST_RESOURCE_GROUP_0_RIG:-}" ] && [ -f "$RKX_WINEPREFIX32.display" ]; then
  DISPLAY=$(cat "$RKX_WINEPREFIX32.display")
  export DISPLAY
fi

# The host folders the root sees at their own paths: sources, build trees, the prefix.
wine32_folders() {
  local folder kept
  local -a folders=()
  for folder in "$RKX_ROOT" "$RKX_BUILD_ROOT" "$RKX_WINEPREFIX32"; do
    mkdir -p "$folder"
    folder=$(cd "$folder" && pwd -P)
    for kept in "${folders[@]}"; do
      case $folder/ in "$kept"/*) continue 2 ;; esac
    done
    folders+=("$folder")
  done
  printf '%s\n' "${folders[@]}"
}

# A program of the root (wine, wineserver) with the prefix's environment and nothing of the
# host's: the root's own libraries and paths only (and GoogleTest's filter, which leaves out
# the cases the 32-bit rig cannot run: scripts/run-tests-i686.sh).
wine32_exec() {
  local -a folders
  mapfile -t folders < <(wine32_folders)
  i386_root_run "${folders[@]}" -- env -i HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 \
    WINEPREFIX="$RKX_WINEPREFIX32" WINEARCH=win32 WINEDEBUG="$WINEDEBUG" \
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES" DISPLAY="${DISPLAY:-}" \
    ${GTEST_FILTER:+GTEST_FILTER="$GTEST_FILTER"} "$@"
}

wine32() { wine32_exec wine "$@"; }
wineserver32() { wine32_exec wineserver "$@"; }
