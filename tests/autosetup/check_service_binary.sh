#!/usr/bin/env bash
# Static check of RKX-T2_AutoSetup.exe, also for the build that cannot run here:
#   check_service_binary.sh FILE SETUP_DLL "IMPORTED FUNCTIONS"
# The setup library must be imported at load time under its own name with exactly the given
# functions, by name; the service name, the registration script and the type library must be
# among the resources.
set -euo pipefail
file=$1 dll=$2 expected=$3
fail() { echo "FAIL $(basename "$file"): $*"; exit 1; }
[ -f "$file" ] || fail "not built"
dump=$(x86_64-w64-mingw32-objdump -p "$file") || fail "not a PE file"

# Function names listed under the setup library's "DLL Name" line, up to the next DLL.
imported=$(awk -v dll="$dll" '
  /^[[:space:]]*DLL Name:/ { on = (tolower($3) == tolower(dll)); next }
  on && /^[[:space:]]*[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/ { print $NF; next }
  on && /^[[:space:]]*$/ { on = 0 }' <<< "$dump" | sort -u)
grep -qi "DLL Name: $dll\$" <<< "$dump" || fail "does not import $dll"
wanted=$(tr ' ' '\n' <<< "$expected" | grep . | sort -u)
missing=$(comm -13 <(echo "$imported") <(echo "$wanted") | tr '\n' ' ')
extra=$(comm -23 <(echo "$imported") <(echo "$wanted") | tr '\n' ' ')
[ -z "${missing// /}" ] || fail "does not import from $dll: $missing"
[ -z "${extra// /}" ] || fail "imports more from $dll than it calls: $extra"

wide=$(strings -el "$file")
narrow=$(strings -a "$file")
grep -qx 'RKX-T2_AutoSetup' <<< "$wide" || fail "no service name string"
grep -qx 'REGISTRY' <<< "$wide" || fail "no REGISTRY resource"
grep -qx 'TYPELIB' <<< "$wide" || fail "no TYPELIB resource"
grep -q "val AppID = s '{08803D64-BB70-4C7F-8499-7962A2CB2F94}'" <<< "$narrow" || fail "registration script incomplete"
grep -q 'MSFT' <<< "$narrow" || fail "type library has no signature"
echo "ok $(basename "$file"): $(wc -w <<< "$wanted") functions from $dll, service name, registration script, type library"
