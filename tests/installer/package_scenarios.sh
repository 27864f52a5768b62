#!/usr/bin/env bash
# The Windows Installer package under real msiexec: installed, checked from inside, repaired,
# upgraded, installed twice and removed, each scenario in a Wine prefix of its own copied from
# one booted once (never the rig's prefix, which the other suites use).
#
#   package_scenarios.sh prepare             packages and the booted prefix, once
#   package_scenarios.sh SCENARIO            install-and-remove | repair | upgrade |
#                                            second-install | language
# Environment: RKX_BUILD_ROOT (the two build trees), RKX_INSTALLER_WORK (scratch folder),
# RKX_INSTALLED_CHECKS and RKX_REGISTRATION_LISTING (the two probe programs).
set -euo pipefail
scenario=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$RKX_INSTALLER_WORK
build_root=$RKX_BUILD_ROOT
packages=$work/packages
pristine=$work/pristine
# The scenarios' prefixes stay off the rig's X display: nothing here is drawn.
unset DISPLAY
export WINEPREFIX=$work/$scenario/prefix
[ "$scenario" = prepare ] && WINEPREFIX=$pristine
source "$root/scripts/lib/wine-env.sh"

# The package's own files: built file -> installed place under drive_c.
package_files=(
  "x86_64/bin/RKX-T2_Setup64.dll|windows/system32/RKX-T2_Setup64.dll"
  "x86_64/bin/RKX-T2_ASIO64.dll|windows/system32/RKX-T2_ASIO64.dll"
  "x86_64/bin/RKX-T2_AutoSetup.exe|windows/system32/RKX-T2_AutoSetup.exe"
  "i686/bin/RKX-T2_Setup.dll|windows/syswow64/RKX-T2_Setup.dll"
  "i686/bin/RKX-T2_ASIO.dll|windows/syswow64/RKX-T2_ASIO.dll"
  "x86_64/bin/RKX-T2_Config.exe|Program Files/Korvane/RKX-T2/RKX-T2_Config.exe"
  "x86_64/bin/rkxsetup.exe|Program Files/Korvane/RKX-T2/rkxsetup.exe"
  "i686/bin/RKX-T2_Config.exe|Program Files (x86)/Korvane/RKX-T2/RKX-T2_Config.exe"
)

fail() { echo "FAILED: $*" >&2; exit 1; }
step() { echo "-- $*"; }
# Wine's own output goes to a file: the prefix's services inherit the first command's streams
# and would hold ctest's pipe open long after the scenario ended.
wine_log=$work/$scenario.wine.log
wine() { "$RKX_WINE" "$@" < /dev/null 2>> "$wine_log"; }
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }
drive_c=$WINEPREFIX/drive_c

current_package() { ls "$packages"/current/RKX-T2-*-x64.msi; }
package_version() { basename "$1" | sed 's/^RKX-T2-\(.*\)-x64\.msi$/\1/'; }

# msiexec PACKAGE-OR-PRODUCT ACTION [PROPERTY=VALUE...]; its log beside the scenario. The exit
# code reaches Linux cut to 8 bits (1603 becomes 67), so only zero counts.
msi_log=0
msiexec() {
  local action=$1 target=$2
  shift 2
  msi_log=$((msi_log + 1))
  local log=$work/$scenario/msiexec-$msi_log.log
  [ -f "$target" ] && target=$(windows_path "$target")
  wine msiexec "$action" "$target" "$@" /qn /l*v "$(windows_path "$log")" > /dev/null
}

reg_text() { # KEY VALUE [/reg:32]: the value's data as reg prints it, or nothing
  wine reg query "$1" /v "$2" ${3:-} 2> /dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

installed_version() { reg_text 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\RKX-T2' DisplayVersion; }

# The programs list as Wine's uninstaller shows it: the lines naming this product.
programs_list_entries() { wine uninstaller --list 2> /dev/null | tr -d '\r' | grep -c 'RKX-T2' || true; }

# How many products Windows Installer holds under the package's upgrade code.
packed_guid() { # {8-4-4-4-12} -> Windows Installer's packed form
  local g=${1//[\{\}-]/} out="" i
  out=$(rev <<< "${g:0:8}")$(rev <<< "${g:8:4}")$(rev <<< "${g:12:4}")
  for ((i = 16; i < 32; i += 2)); do out+=${g:i+1:1}${g:i:1}; done
  echo "$out"
}
registered_products() {
  local code
  code=$(msiinfo export "$(current_package)" Property | tr -d '\r' | awk -F'\t' '$1 == "UpgradeCode" { print $2 }')
  wine reg query "HKLM\\Software\\Classes\\Installer\\UpgradeCodes\\$(packed_guid "$code")" 2> /dev/null |
    tr -d '\r' | grep -c -E '^ +[0-9A-F]{32} ' || true
}

product_code() { reg_text 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\RKX-T2' UninstallString | grep -o '{[0-9A-F-]*}'; }

# The probe program inside the prefix; filter selects its tests.
run_checks() { # VERSION LANGUAGE [GTEST_FILTER]
  local log=$work/$scenario/checks.log
  if ! wine "$RKX_INSTALLED_CHECKS" --gtest_filter="${3:-*}" --version="$1" --language="$2" > "$log" 2>&1; then
    cat "$log"
    fail "the installed package's checks"
  fi
  grep -E '^\[  PASSED  \]' "$log" | sed 's/^/   /'
}

files_match() { # BUILD_ROOT: every installed file equals the one built there
  local pair
  for pair in "${package_files[@]}"; do
    cmp -s "$1/${pair%%|*}" "$drive_c/${pair#*|}" || return 1
  done
}

# Per-user settings of the console user; never touched by install, upgrade, repair or removal.
user_settings() {
  wine reg query 'HKCU\Software\Korvane\RKX-T2' 2> /dev/null | tr -d '\r' | grep REG_ || true
  wine reg query 'HKCU\SOFTWARE\RKX-T2 ASIO 64bit' 2> /dev/null | tr -d '\r' | grep REG_ || true
  wine reg query 'HKCU\SOFTWARE\RKX-T2 ASIO' 2> /dev/null | tr -d '\r' | grep REG_ || true
}
write_user_settings() {
  local name value
  for pair in Output1=2 Input2=1 Level=3 Tab=2 PosX=140 PosY=90 AsioConfigLaunch=0; do
    name=${pair%%=*} value=${pair#*=}
    wine reg add 'HKCU\Software\Korvane\RKX-T2' /v "$name" /t REG_DWORD /d "$value" /f > /dev/null
  done
  wine reg add 'HKCU\SOFTWARE\RKX-T2 ASIO 64bit' /v blockNum /t REG_DWORD /d 4 /f > /dev/null
  wine reg add 'HKCU\SOFTWARE\RKX-T2 ASIO' /v blockNum /t REG_DWORD /d 6 /f > /dev/null
}

# Everything in the prefix, one line per registry key, registry value, file and folder. The
# registry files are complete only once the prefix's server has stopped.
listing() {
  "$WINESERVER" -k 2> /dev/null || true
  "$WINESERVER" -w 2> /dev/null || true
  local hive rootname
  for hive in system:HKLM user:HKCU userdef:HKU_DEFAULT; do
    rootname=${hive#*:}
    awk -v root="$rootname" '
      /^\[/ { key = $0; sub(/^\[/, "", key); sub(/\] [0-9]+$/, "", key); print root "\\" key; next }
      /^#/ || /^$/ || /^WINE REGISTRY/ || /^;;/ { next }
      { line = $0
        while (line ~ /\\$/ && (getline more) > 0) { sub(/\\$/, "", line); sub(/^ +/, "", more); line = line more }
        print root "\\" key " :: " line }' "$WINEPREFIX/${hive%%:*}.reg"
  done
  (cd "$drive_c" && find . -mindepth 1 -printf 'FILE %y %P\n')
}

# What Windows Installer keeps of its own once it has been used (its cache folder, the roots of
# its product and component records), and a value Wine rewrites at each start.
expected_additions='^FILE d windows/Installer$|^HKLM\\Software\\\\Classes\\\\Installer\\\\(Features|Products|UpgradeCodes)$|^HKLM\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Installer\\\\(UpgradeCodes|UserData\\\\S-1-5-18\\\\(Components|Products))$|"DriverDateData"='
expected_removals='"DriverDateData"='

# BEFORE AFTER [EXTRA_REMOVALS]: nothing added but Windows Installer's own records, nothing
# removed but what EXTRA_REMOVALS allows.
compare_listings() {
  local added removed allowed_removals=$expected_removals
  [ -n "${3:-}" ] && allowed_removals+="|$3"
  added=$(comm -13 "$1" "$2" | grep -v -E "$expected_additions" || true)
  removed=$(comm -23 "$1" "$2" | grep -v -E "$allowed_removals" || true)
  [ -z "$added" ] || { echo "left behind:"; echo "$added" | head -50; }
  [ -z "$removed" ] || { echo "removed:"; echo "$removed" | head -50; }
  [ -z "$added$removed" ]
}

new_prefix() {
  rm -rf "$work/$scenario"
  mkdir -p "$work/$scenario"
  cp -a "$pristine" "$WINEPREFIX"
  rm -f "$wine_log"
  # No persistent server: the prefix's server ends by itself a few seconds after its last
  # process, so nothing of a scenario outlives it; this only stops what still runs.
  trap '"$WINESERVER" -k 2> /dev/null || true' EXIT
}

# A fresh prefix holding the console user's settings; sets package, version and settings.
start_with_user_settings() {
  new_prefix
  package=$(current_package)
  version=$(package_version "$package")
  write_user_settings
  settings=$(user_settings)
}

prepare() {
  rm -rf "$packages" "$pristine"
  mkdir -p "$work"
  step "packages"
  "$root/scripts/package.sh" --output "$packages/current" --quiet
  # The same version built again: a new product code, as every build has.
  "$root/scripts/package.sh" --output "$packages/rebuilt" --quiet
  # An older release: a lower version whose files differ from this build's.
  local older=$work/older-build pair
  rm -rf "$older"
  for pair in "${package_files[@]}"; do
    mkdir -p "$(dirname "$older/${pair%%|*}")"
    cp "$build_root/${pair%%|*}" "$older/${pair%%|*}"
    printf 'an older build' >> "$older/${pair%%|*}"
  done
  mkdir -p "$older/x86_64/installer" "$older/i686/installer"
  cp "$build_root"/x86_64/installer/definitions-x86_64.wxi "$older/x86_64/installer/"
  cp "$build_root"/i686/installer/definitions-i686.wxi "$older/i686/installer/"
  RKX_BUILD_ROOT=$older "$root/scripts/package.sh" --version 0.9 --output "$packages/older" --quiet
  ls "$packages"/*/*.msi | sed 's/^/   /'

  step "prefix"
  mkdir -p "$(dirname "$pristine")"
  # The rig's booted prefix when make test has made one (scripts/lib/rig.sh), else a new one.
  if [ -d "$build_root/wineprefix-pristine/drive_c" ]; then
    cp -a "$build_root/wineprefix-pristine" "$pristine"
  else
    wine wineboot -i > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; fail "wineboot"; }
  fi
  # No window of these prefixes is ever drawn, and a crash ends its process at once instead of
  # waiting in the debugger until the test times out.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f > /dev/null
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f > /dev/null
  "$WINESERVER" -w
}

install_and_remove() {
  start_with_user_settings
  listing | sort > "$work/$scenario/before"

  step "install $(basename "$package")"
  msiexec /i "$package" || fail "msiexec /i"
  [ "$(programs_list_entries)" = 1 ] || fail "the programs list shows $(programs_list_entries) entries"
  run_checks "$version" 1033
  files_match "$build_root" || fail "installed files differ from the build"
  wine "$RKX_REGISTRATION_LISTING" "64:HKCR\\CLSID\\{5A3C9E21-7B4D-4F08-9C62-1D8E0B7A4F35}" \
    "64:HKLM\\SOFTWARE\\ASIO\\RKX-T2 ASIO 64bit" | tr -d '\r' > "$work/$scenario/registration64.installer"
  wine "$RKX_REGISTRATION_LISTING" "32:HKCR\\CLSID\\{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}" \
    "32:HKLM\\SOFTWARE\\ASIO\\RKX-T2 ASIO" | tr -d '\r' > "$work/$scenario/registration32.installer"

  step "remove, as the programs list does"
  msiexec /x "$(product_code)" || fail "msiexec /x"
  [ "$(user_settings)" = "$settings" ] || fail "per-user settings changed"
  listing | sort > "$work/$scenario/after"
  # Wine's installer also removes folders and keys that its rows left empty though they were
  # there before; on Windows these hold the system's own entries and never empty.
  compare_listings "$work/$scenario/before" "$work/$scenario/after" \
    '^FILE d windows/syswow64$|^HKLM\\Software\\\\Classes\\\\Wow6432Node\\\\CLSID$' ||
    fail "the removal left the prefix otherwise than it found it"

  step "the installer's registration rows against the driver's own DllRegisterServer"
  cp "$build_root/x86_64/bin/RKX-T2_ASIO64.dll" "$drive_c/windows/system32/"
  wine regsvr32 /s 'C:\windows\system32\RKX-T2_ASIO64.dll' || fail "regsvr32"
  wine "$RKX_REGISTRATION_LISTING" "64:HKCR\\CLSID\\{5A3C9E21-7B4D-4F08-9C62-1D8E0B7A4F35}" \
    "64:HKLM\\SOFTWARE\\ASIO\\RKX-T2 ASIO 64bit" | tr -d '\r' > "$work/$scenario/registration64.self"
  # The server path compares without regard to letter case: DllRegisterServer stores it lower-
  # cased, the installer as Windows Installer resolves it, and every reader ignores case.
  server_path_lowered() { sed -E 's/^(VALUE .*\\InprocServer32 @ REG_SZ )(.*)$/\1\L\2/'; }
  diff <(server_path_lowered < "$work/$scenario/registration64.self") \
       <(server_path_lowered < "$work/$scenario/registration64.installer") ||
    fail "the 64-bit rows differ from what DllRegisterServer writes"
  # The 32-bit build cannot run here; its DllRegisterServer writes the same keys with its own
  # identity (class id, names, its module in SysWOW64), in the 32-bit views.
  server_path_lowered < "$work/$scenario/registration64.self" |
    sed -e 's/5A3C9E21-7B4D-4F08-9C62-1D8E0B7A4F35/2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172/g' \
        -e 's/RKX-T2 ASIO 64bit/RKX-T2 ASIO/g; s/RKX-T2 ASIO64/RKX-T2 ASIO/g' \
        -e 's/system32\\rkx-t2_asio64\.dll/syswow64\\rkx-t2_asio.dll/' > "$work/$scenario/registration32.expected"
  diff "$work/$scenario/registration32.expected" <(server_path_lowered < "$work/$scenario/registration32.installer") ||
    fail "the 32-bit rows differ from what the 32-bit DllRegisterServer writes"
}

repair() {
  start_with_user_settings
  msiexec /i "$package" || fail "msiexec /i"

  step "delete the 64-bit driver and AsioConfig in both views, then repair"
  rm "$drive_c/windows/system32/RKX-T2_ASIO64.dll"
  wine reg delete 'HKLM\Software\Korvane\RKX-T2' /v AsioConfig /f > /dev/null
  wine reg delete 'HKLM\Software\Korvane\RKX-T2' /v AsioConfig /f /reg:32 > /dev/null
  [ -z "$(reg_text 'HKLM\Software\Korvane\RKX-T2' AsioConfig)" ] || fail "AsioConfig still there"
  # REINSTALL=ALL is what msiexec /f sets; Wine's msiexec does not implement /f itself.
  msiexec /i "$package" REINSTALL=ALL REINSTALLMODE=amus || fail "msiexec /i REINSTALL=ALL"
  files_match "$build_root" || fail "the repair did not restore the files"
  run_checks "$version" 1033 'InstalledPackage.FilesAreAtTheirPlaces:InstalledPackage.MachineValues*:InstalledPackage.Hosts*'
  [ "$(user_settings)" = "$settings" ] || fail "per-user settings changed"
}

upgrade() {
  new_prefix
  step "neighbours: another ASIO driver and COM class, another Korvane product, another 32-bit system file"
  wine reg add 'HKLM\SOFTWARE\ASIO\Other Driver' /v CLSID /d '{00000000-1111-2222-3333-444444444444}' /f > /dev/null
  wine reg add 'HKLM\SOFTWARE\ASIO\Other Driver' /v CLSID /d '{00000000-1111-2222-3333-444444444444}' /f /reg:32 > /dev/null
  wine reg add 'HKLM\Software\Korvane\Other' /v Version /d 2.0 /f > /dev/null
  wine reg add 'HKLM\Software\Korvane\Other' /v Version /d 2.0 /f /reg:32 > /dev/null
  mkdir -p "$drive_c/Program Files/Korvane/Other" "$drive_c/Program Files (x86)/Korvane/Other"
  echo other > "$drive_c/Program Files/Korvane/Other/readme.txt"
  echo other > "$drive_c/Program Files (x86)/Korvane/Other/readme.txt"
  echo other > "$drive_c/windows/syswow64/other.dll"
  wine reg add 'HKCR\CLSID\{00000000-1111-2222-3333-444444444444}' /ve /d Other /f /reg:32 > /dev/null
  write_user_settings
  local settings
  settings=$(user_settings)
  listing | sort > "$work/$scenario/before"

  local older current version
  older=$(ls "$packages"/older/*.msi)
  current=$(current_package)
  version=$(package_version "$current")
  step "install $(basename "$older") in Japanese"
  msiexec /i "$older" INSTALLLANGUAGE=1041 || fail "msiexec /i older"
  [ "$(installed_version)" = 0.9 ] || fail "the older package shows version $(installed_version)"
  files_match "$work/older-build" || fail "the older package's files are not installed"

  step "upgrade to $(basename "$current")"
  msiexec /i "$current" || fail "msiexec /i current"
  [ "$(programs_list_entries)" = 1 ] || fail "the programs list shows $(programs_list_entries) entries"
  [ "$(registered_products)" = 1 ] || fail "$(registered_products) products registered"
  files_match "$build_root" || fail "the upgrade left older files"
  run_checks "$version" 1041
  [ "$(user_settings)" = "$settings" ] || fail "per-user settings changed"

  step "the older package is refused now"
  if msiexec /i "$older"; then fail "the older package installed over the newer one"; fi
  [ "$(installed_version)" = "$version" ] || fail "the refused downgrade changed the version"
  files_match "$build_root" || fail "the refused downgrade changed files"

  step "remove: the neighbours stay"
  msiexec /x "$(product_code)" || fail "msiexec /x"
  listing | sort > "$work/$scenario/after"
  compare_listings "$work/$scenario/before" "$work/$scenario/after" ||
    fail "the removal left the prefix otherwise than it found it"
}

second_install() {
  new_prefix
  local package version
  package=$(current_package)
  version=$(package_version "$package")
  msiexec /i "$package" || fail "msiexec /i"
  step "the same package again"
  msiexec /i "$package" || echo "   refused (exit code non-zero)"
  [ "$(programs_list_entries)" = 1 ] || fail "the programs list shows $(programs_list_entries) entries"
  [ "$(registered_products)" = 1 ] || fail "$(registered_products) products registered"
  files_match "$build_root" || fail "files changed"
  step "the same version built again"
  msiexec /i "$(ls "$packages"/rebuilt/*.msi)" || fail "msiexec /i rebuilt"
  [ "$(programs_list_entries)" = 1 ] || fail "the programs list shows $(programs_list_entries) entries"
  [ "$(registered_products)" = 1 ] || fail "$(registered_products) products registered"
  run_checks "$version" 1033 'InstalledPackage.FilesAreAtTheirPlaces:InstalledPackage.MachineValues*'
}

language() {
  new_prefix
  local package row ui property expected got
  package=$(current_package)
  # The system's UI language (its language settings' InstallLanguage), INSTALLLANGUAGE, and
  # the "InstallLanguage" the package writes ("refused": it installs nothing).
  local rows=(
    "0407||1031"
    "0C0A||3082"
    "0C04||1028"
    "0804||2052"
    "0816||2070"
    "0416||2070"
    "041D||1033"
    "0409|1041|1041"
    "0411|1033|1033"
    "0409|2055|refused"
    "0409|abc|refused"
  )
  for row in "${rows[@]}"; do
    IFS='|' read -r ui property expected <<< "$row"
    wine reg add 'HKLM\SYSTEM\CurrentControlSet\Control\Nls\Language' /v InstallLanguage /d "$ui" /f > /dev/null
    if msiexec /i "$package" ${property:+INSTALLLANGUAGE=$property}; then
      got=$(reg_text 'HKLM\Software\Korvane\RKX-T2' InstallLanguage)
      [ "$got" = "$(reg_text 'HKLM\Software\Korvane\RKX-T2' InstallLanguage /reg:32)" ] ||
        fail "UI language $ui, property '$property': the two views differ"
      got=$((got))
      msiexec /x "$package" || fail "msiexec /x"
    else
      got=refused
      [ -z "$(installed_version)" ] || fail "UI language $ui, property '$property': refused but installed"
    fi
    echo "   UI language $ui, INSTALLLANGUAGE '${property}': $got"
    [ "$got" = "$expected" ] || fail "UI language $ui, property '$property': $got, expected $expected"
  done
}

case $scenario in
  prepare) prepare ;;
  install-and-remove) install_and_remove ;;
  repair) repair ;;
  upgrade) upgrade ;;
  second-install) second_install ;;
  language) language ;;
  *) echo "unknown scenario $scenario" >&2; exit 2 ;;
esac
echo "passed"
