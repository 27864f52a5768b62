#!/usr/bin/env bash
# Static checks of one built Windows binary, for the builds that cannot run here:
#   check_pe.sh FILE MACHINE [--exports "A B C"] [--exact-exports] [--subsystem native|windows|console]
#               [--no-environment]
# MACHINE is i386 or x86-64. Checks: the PE machine type, a version block, no mingw runtime
# DLL among the imports (deliverables travel alone), undecorated export names, the expected
# exports, and with --no-environment that nothing reading environment variables is imported
# (shipped programs take their configuration from the registry alone).
set -euo pipefail
file=$1 machine=$2
shift 2
exports="" exact=0 subsystem="" no_environment=0
while [ $# -gt 0 ]; do
  case $1 in
    --exports) exports=$2; shift 2 ;;
    --exact-exports) exact=1; shift ;;
    --subsystem) subsystem=$2; shift 2 ;;
    --no-environment) no_environment=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

fail() { echo "FAIL $(basename "$file"): $*"; exit 1; }
[ -f "$file" ] || fail "not built"
objdump=x86_64-w64-mingw32-objdump
dump=$($objdump -p "$file") || fail "not a PE file"

format=$(echo "$dump" | sed -n 's/.*file format \(pei-[a-z0-9-]*\).*/\1/p' | head -1)
[ "$format" = "pei-$machine" ] || fail "machine is '$format', expected pei-$machine"

case $subsystem in
  "") ;;
  native) grep -q 'Subsystem.*(NT native)' <<< "$dump" || fail "subsystem is not native" ;;
  windows) grep -q 'Subsystem.*(Windows GUI)' <<< "$dump" || fail "subsystem is not GUI" ;;
  console) grep -q 'Subsystem.*(Windows CUI)' <<< "$dump" || fail "subsystem is not console" ;;
esac

texts=$(strings -el "$file")
grep -qx 'VS_VERSION_INFO' <<< "$texts" || fail "no version block"
grep -qx 'ProductVersion' <<< "$texts" || fail "version block has no ProductVersion"

imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
for runtime in libstdc++-6.dll libgcc_s_seh-1.dll libgcc_s_dw2-1.dll libgcc_s_sjlj-1.dll libwinpthread-1.dll; do
  if grep -qx "$runtime" <<< "$imports"; then fail "imports the runtime DLL $runtime"; fi
done

if [ $no_environment -eq 1 ]; then
  # Function names of the import tables ("  hint  Name" lines under each DLL).
  readers=$(echo "$dump" | grep -o -i -w -E '_?w?getenv(_s)?|_?w?dupenv_s|GetEnvironmentVariable[AW]|GetEnvironmentStrings[AW]?|ExpandEnvironmentStrings[AW]' | sort -u | tr '\n' ' ' || true)
  [ -z "${readers// /}" ] || fail "reads the environment: $readers"
fi

# Export names: the lines of the "[Ordinal/Name Pointer] Table" section.
actual=$(echo "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[[:space:]]*\[/{print $NF; next} on{on=0}' | sort)
if grep -q '@' <<< "$actual"; then fail "decorated export names: $(echo "$actual" | grep '@' | tr '\n' ' ')"; fi
for name in $exports; do
  grep -qx "$name" <<< "$actual" || fail "missing export $name"
done
if [ $exact -eq 1 ]; then
  expected=$(echo $exports | tr ' ' '\n' | sort)
  extra=$(comm -23 <(echo "$actual") <(echo "$expected") | tr '\n' ' ')
  [ -z "${extra// /}" ] || fail "unexpected exports: $extra"
fi
echo "ok $(basename "$file"): pei-$machine, version block, $(echo "$actual" | grep -c . || true) exports, no runtime DLLs"
