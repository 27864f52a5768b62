#!/usr/bin/env bash
# The installation stand-in: lays the package into the rig's Wine prefix the way the real
# installer leaves a Windows machine: files at their places, the machine-wide registry values,
# the uninstall key, the service's AppID keys, the registrations. Installs what has been built.
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

x64=$RKX_BUILD_ROOT/x86_64/bin
x86=$RKX_BUILD_ROOT/i686/bin
c=$WINEPREFIX/drive_c
system32=$c/windows/system32
syswow64=$c/windows/syswow64
program64="$c/Program Files/Korvane/RKX-T2"
program32="$c/Program Files (x86)/Korvane/RKX-T2"
model=RKX-T2
version=1.110
autosetup_appid='{08803D64-BB70-4C7F-8499-7962A2CB2F94}'
# The utility that runs on this rig is the 64-bit build.
asio_config='"C:\\Program Files\\Korvane\\RKX-T2\\RKX-T2_Config.exe" -Auto'

# Built file -> installed place. Missing built files are skipped: later work adds them.
files=(
  "$x64/RKX-T2Audio64.sys|$system32/drivers/RKX-T2Audio64.sys"
  "$x64/RKX-T2_Setup64.dll|$system32/RKX-T2_Setup64.dll"
  "$x86/RKX-T2_Setup.dll|$syswow64/RKX-T2_Setup.dll"
  "$x64/RKX-T2_ASIO64.dll|$system32/RKX-T2_ASIO64.dll"
  "$x86/RKX-T2_ASIO.dll|$syswow64/RKX-T2_ASIO.dll"
  "$x64/RKX-T2_Config.exe|$program64/RKX-T2_Config.exe"
  "$x86/RKX-T2_Config.exe|$program32/RKX-T2_Config.exe"
  "$x64/RKX-T2_AutoSetup.exe|$system32/RKX-T2_AutoSetup.exe"
)

wine_path() { # Unix path inside the prefix -> Windows path
  local p=${1#"$c"}
  p=${p//\//\\}
  echo "C:$p"
}

sc() { "$RKX_WINE" sc "$@" > "$WINEPREFIX.sc.log" 2>&1 < /dev/null; }

# The 32-bit ASIO driver's identity (asio/build_identity.cpp) and its installed path as a
# 32-bit process sees it, lower-cased as its registration stores it.
asio32_clsid='{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}'
asio32_name='RKX-T2 ASIO'
asio32_path='c:\windows\syswow64\rkx-t2_asio.dll'

run_registry_script() {
  local reg
  reg=$(mktemp --suffix=.reg)
  cat > "$reg"
  "$RKX_WINE" regedit /S "Z:${reg//\//\\}"
  rm -f "$reg"
}

install() {
  for pair in "${files[@]}"; do
    local from=${pair%%|*} to=${pair#*|}
    [ -f "$from" ] || continue
    mkdir -p "$(dirname "$to")"
    cp "$from" "$to"
    echo "installed $(wine_path "$to")"
  done

  local language_hex
  language_hex=$(printf '%08x' "$language")
  # Machine values go to both registry views: 32-bit and 64-bit readers each open their own.
  run_registry_script <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Korvane\\$model]
"InstallLanguage"=dword:$language_hex
"AsioConfig"="${asio_config//\"/\\\"}"

[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Korvane\\$model]
"InstallLanguage"=dword:$language_hex
"AsioConfig"="${asio_config//\"/\\\"}"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$model]
"DisplayName"="$model Driver and Utilities"
"DisplayVersion"="$version"
"Publisher"="Korvane"

[HKEY_CLASSES_ROOT\\AppID\\$autosetup_appid]
@="${model}_AutoSetup"
"LocalService"="${model}_AutoSetup"

[HKEY_CLASSES_ROOT\\AppID\\${model}_AutoSetup.exe]
"AppID"="$autosetup_appid"
REG
  echo "registry values written (InstallLanguage $language)"

  # The virtual mixer is installed under the kernel driver's file name.
  if [ -f "$system32/drivers/RKX-T2Audio64.sys" ]; then
    sc create RKX-T2Audio type= kernel start= demand binPath= 'C:\windows\system32\drivers\RKX-T2Audio64.sys' || true
    echo "kernel driver service RKX-T2Audio created"
  fi
  if [ -f "$system32/RKX-T2_ASIO64.dll" ]; then
    "$RKX_WINE" regsvr32 /s 'C:\windows\system32\RKX-T2_ASIO64.dll'
    echo "ASIO driver registered (64-bit)"
  fi
  # No 32-bit code runs here, so the 32-bit driver cannot register itself: its keys are written
  # as its DllRegisterServer writes them from a 32-bit process, into the 32-bit views.
  if [ -f "$syswow64/RKX-T2_ASIO.dll" ]; then
    run_registry_script <<REG
Windows Registry Editor Version 5.00

[-HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\$asio32_clsid]

[HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\$asio32_clsid]
@="$asio32_name"

[HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\$asio32_clsid\\InprocServer32]
@="${asio32_path//\\/\\\\}"
"ThreadingModel"="Apartment"

[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\ASIO\\$asio32_name]

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\ASIO\\$asio32_name]
"CLSID"="$asio32_clsid"
"Description"="$asio32_name"
REG
    echo "ASIO driver registered (32-bit)"
  fi
  if [ -f "$system32/RKX-T2_AutoSetup.exe" ]; then
    # Started on demand: tests and the demo start it when they need it, from a fresh state.
    sc create "${model}_AutoSetup" type= own start= demand binPath= 'C:\windows\system32\RKX-T2_AutoSetup.exe' || true
    echo "service ${model}_AutoSetup created"
  fi
}

uninstall() {
  sc stop "${model}_AutoSetup" || true
  sc delete "${model}_AutoSetup" || true
  if [ -f "$system32/RKX-T2_ASIO64.dll" ]; then
    "$RKX_WINE" regsvr32 /s /u 'C:\windows\system32\RKX-T2_ASIO64.dll' || true
  fi
  if [ -f "$syswow64/RKX-T2_ASIO.dll" ]; then
    run_registry_script <<REG
Windows Registry Editor Version 5.00

[-HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\$asio32_clsid]
[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\ASIO\\$asio32_name]
REG
  fi
  sc stop RKX-T2Audio || true
  sc delete RKX-T2Audio || true
  for pair in "${files[@]}"; do
    rm -f "${pair#*|}"
  done
  run_registry_script <<REG
Windows Registry Editor Version 5.00

[-HKEY_LOCAL_MACHINE\\Software\\Korvane]
[-HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Korvane]
[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$model]
[-HKEY_CLASSES_ROOT\\AppID\\$autosetup_appid]
[-HKEY_CLASSES_ROOT\\AppID\\${model}_AutoSetup.exe]
REG
  echo "package removed"
}

case $action in
  install) install ;;
  uninstall) uninstall ;;
  *) echo "usage: $0 install [--language LANGID] | uninstall" >&2; exit 2 ;;
esac
