#!/usr/bin/env bash
# The installation stand-in of the 32-bit rig: lays the 32-bit builds into its prefix, a 32-bit
# Windows, the way the real installer leaves one: files at their places, the machine-wide
# values, the uninstall key, the service's AppID keys, the kernel driver (the i686 virtual
# mixer, as RKX-T2Audio.sys) and the services; the ASIO driver registers itself, as the
# installer has it do. Installs what has been built.
#
#   install-package-i686.sh [--language LANGID]
set -euo pipefail
source "$(dirname "$0")/lib/wine32-env.sh"

language=1033
while [ $# -gt 0 ]; do
  case $1 in
    --language) language=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

c=$RKX_WINEPREFIX32/drive_c
system32=$c/windows/system32
program="$c/Program Files/Korvane/RKX-T2"
model=RKX-T2
autosetup_appid='{08803D64-BB70-4C7F-8499-7962A2CB2F94}'
asio_config='"C:\\Program Files\\Korvane\\RKX-T2\\RKX-T2_Config.exe" -Auto'

files=(
  "RKX-T2Audio.sys|$system32/drivers/RKX-T2Audio.sys"
  "RKX-T2_Setup.dll|$system32/RKX-T2_Setup.dll"
  "RKX-T2_ASIO.dll|$system32/RKX-T2_ASIO.dll"
  "RKX-T2_Config.exe|$program/RKX-T2_Config.exe"
  "RKX-T2_AutoSetup.exe|$system32/RKX-T2_AutoSetup.exe"
)

sc() { wine32 sc "$@" > "$RKX_WINEPREFIX32.sc.log" 2>&1 < /dev/null; }

for pair in "${files[@]}"; do
  from=$RKX_I686_BIN/${pair%%|*} to=${pair#*|}
  [ -f "$from" ] || continue
  mkdir -p "$(dirname "$to")"
  cp "$from" "$to"
  echo "installed ${pair%%|*}"
done

# The script lies beside the prefix, where the 32-bit Wine sees it.
reg=$RKX_WINEPREFIX32.install.reg
cat > "$reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Korvane\\$model]
"InstallLanguage"=dword:$(printf '%08x' "$language")
"AsioConfig"="${asio_config//\"/\\\"}"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$model]
"DisplayName"="$model Driver and Utilities"
"DisplayVersion"="1.110"
"Publisher"="Korvane"

[HKEY_CLASSES_ROOT\\AppID\\$autosetup_appid]
@="${model}_AutoSetup"
"LocalService"="${model}_AutoSetup"

[HKEY_CLASSES_ROOT\\AppID\\${model}_AutoSetup.exe]
"AppID"="$autosetup_appid"
REG
wine32 regedit /S "Z:${reg//\//\\}"
rm -f "$reg"
echo "registry values written (InstallLanguage $language)"

if [ -f "$system32/drivers/RKX-T2Audio.sys" ]; then
  sc create RKX-T2Audio type= kernel start= demand binPath= 'C:\windows\system32\drivers\RKX-T2Audio.sys' || true
  echo "kernel driver service RKX-T2Audio created"
fi
if [ -f "$system32/RKX-T2_ASIO.dll" ]; then
  wine32 regsvr32 /s 'C:\windows\system32\RKX-T2_ASIO.dll'
  echo "ASIO driver registered (32-bit, by itself)"
fi
if [ -f "$system32/RKX-T2_AutoSetup.exe" ]; then
  sc create "${model}_AutoSetup" type= own start= demand binPath= 'C:\windows\system32\RKX-T2_AutoSetup.exe' || true
  echo "service ${model}_AutoSetup created"
fi
