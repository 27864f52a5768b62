# Environment of the project's Wine prefix. Sourced by every script that runs Windows code.
# Only the 64-bit loader is used: 32-bit code cannot run on these machines.
RKX_ROOT=${RKX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
# RKX_BUILD_ROOT holds the two build trees (x86_64, i686); another root lets parallel work
# keep its own trees.
export RKX_BUILD_ROOT=${RKX_BUILD_ROOT:-$RKX_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$RKX_BUILD_ROOT/wineprefix}
# A test that ctest gave a rig of its own (scripts/lib/rig.sh, --rigs) runs in that rig's
# prefix, on that rig's display: rig 1 is the prefix above, rig N its copy "-N" beside it.
if [ -n "${CTEST_RESOURCE_GROUP_0_RIG:-}" ] && [ -z "${RKX_RIG:-}" ]; then
  rkx_rig=${CTEST_RESOURCE_GROUP_0_RIG#id:}
  rkx_rig=${rkx_rig%%,*}
  [ "$rkx_rig" = 1 ] || WINEPREFIX=$WINEPREFIX-$rkx_rig
  export RKX_RIG=$rkx_rig  # chosen once: scripts a test starts keep it
  [ -f "$WINEPREFIX.display" ] && DISPLAY=$(cat "$WINEPREFIX.display") && export DISPLAY
fi
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
RKX_WINE=/usr/lib/wine/wine64
