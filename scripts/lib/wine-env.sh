# Environment of the project's Wine prefix. Sourced by every script that runs Windows code.
# Only the 64-bit loader is used: 32-bit code cannot run on these machines.
RKX_ROOT=${RKX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
# RKX_BUILD_ROOT holds the two build trees (x86_64, i686); another root lets parallel work
# keep its own trees.
export RKX_BUILD_ROOT=${RKX_BUILD_ROOT:-$RKX_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$RKX_BUILD_ROOT/wineprefix}
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
RKX_WINE=/usr/lib/wine/wine64
