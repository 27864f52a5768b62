#!/usr/bin/env bash
# Installs the package into the rig's Wine prefix as a Windows user does: the Windows Installer
# package built from the build trees (scripts/package.sh), installed silently with msiexec.
# Then what is not the package's: the virtual mixer, installed under the mixer's kernel driver
# file name as its own kernel driver service.
#
#   install-package.sh install [--language LANGID]
#   install-package.sh uninstall
set -euo pipefail
source "$(dirname "$0")/lib/wine-env.sh"

action=${1:-install}
language=1033
shift || true
while [ $# -gt 0 ]; do
  case $1 in
    --language) language=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

system32=$WINEPREFIX/drive_c/windows/system32
virtual_mixer=$RKX_BUILD_ROOT/x86_64/bin/RKX-T2Audio64.sys
packages=$RKX_BUILD_ROOT/package

sc() { "$RKX_WINE" sc "$@" > "$WINEPREFIX.sc.log" 2>&1 < /dev/null; }

windows_path() { echo "Z:${1//\//\\}"; }

# msiexec's exit code reaches Linux cut to 8 bits; its log says what failed.
msiexec() {
  local log=$WINEPREFIX.msiexec.log
  if ! "$RKX_WINE" msiexec "$@" /qn /l* "$(windows_path "$log")" < /dev/null > /dev/null 2>&1; then
    echo "msiexec $1 failed; its log: $log" >&2
    grep -a -i -E 'error|failed|return value 3' "$log" | head -20 >&2 || true
    return 1
  fi
}

install() {
  local package
  package=$("$RKX_ROOT/scripts/package.sh" --output "$packages")
  msiexec /i "$(windows_path "$package")" INSTALLLANGUAGE="$language"
  echo "installed $(basename "$package") (InstallLanguage $language)"

  # The virtual mixer is installed under the kernel driver's file name.
  if [ -f "$virtual_mixer" ]; then
    mkdir -p "$system32/drivers"
    cp "$virtual_mixer" "$system32/drivers/RKX-T2Audio64.sys"
    sc create RKX-T2Audio type= kernel start= demand binPath= 'C:\windows\system32\drivers\RKX-T2Audio64.sys' || true
    echo "kernel driver service RKX-T2Audio created (the virtual mixer)"
  fi
}

uninstall() {
  # As the programs list does it: the product code from the entry's uninstall command.
  local product
  product=$("$RKX_WINE" reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\RKX-T2' \
              /v UninstallString 2> /dev/null < /dev/null | grep -o '{[0-9A-Fa-f-]*}' || true)
  if [ -n "$product" ]; then
    msiexec /x "$product" || true
  fi
  sc stop RKX-T2Audio || true
  sc delete RKX-T2Audio || true
  rm -f "$system32/drivers/RKX-T2Audio64.sys"
  echo "package removed"
}

case $action in
  install) install ;;
  uninstall) uninstall ;;
  *) echo "usage: $0 install [--language LANGID] | uninstall" >&2; exit 2 ;;
esac
