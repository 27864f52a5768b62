#!/usr/bin/env bash
# make package: the Windows Installer package RKX-T2-<version>-x64.msi from the two build trees
# (both architectures' binaries), built with wixl from installer/RKX-T2.wxs.
#
#   package.sh [--output DIR] [--version VERSION] [--quiet]
#
# DIR defaults to dist/. The version comes from the build trees (CMakeLists.txt's
# RKX_PRODUCT_VERSION, which the binaries' version blocks carry too); --version overrides it
# for packages that tests need. Prints the package's path.
set -euo pipefail
source "$(dirname "$0")/lib/wine-env.sh"

output=$RKX_ROOT/dist
version=""
quiet=0
while [ $# -gt 0 ]; do
  case $1 in
    --output) output=$2; shift 2 ;;
    --version) version=$2; shift 2 ;;
    --quiet) quiet=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

# Paths relative to the build root: wixl 0.101 finds sources and includes only that way.
definitions64=x86_64/installer/definitions-x86_64.wxi
definitions32=i686/installer/definitions-i686.wxi
for file in "$definitions64" "$definitions32"; do
  [ -f "$RKX_BUILD_ROOT/$file" ] ||
    { echo "missing $RKX_BUILD_ROOT/$file: build both architectures first (scripts/build.sh)" >&2; exit 1; }
done
tree_version() { sed -n 's/.*<?define ProductVersion = \([^ ]*\) ?>.*/\1/p' "$RKX_BUILD_ROOT/$1"; }
built=$(tree_version "$definitions64")
if [ -z "$built" ] || [ "$built" != "$(tree_version "$definitions32")" ]; then
  echo "the two build trees carry different product versions: rebuild both" >&2
  exit 1
fi
version=${version:-$built}

mkdir -p "$output"
output=$(cd "$output" && pwd)
package=$output/RKX-T2-$version-x64.msi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

wixl_run() {
  (cd "$RKX_BUILD_ROOT" &&
    wixl -a x64 -D ProductVersion="$version" \
      -D Bin64=x86_64/bin -D Bin32=i686/bin \
      -D Definitions64="$definitions64" -D Definitions32="$definitions32" \
      "$@" "$RKX_ROOT/installer/RKX-T2.wxs") 2> "$work/wixl.log" ||
    { cat "$work/wixl.log" >&2; exit 1; }
}
wixl_run -o "$work/package.msi"

# wixl 0.101 ignores two attributes of the source; the tables get them here.
# The row that finds installed copies of this product includes its own version (IncludeMaximum:
# 1 << 8 minimum and 1 << 9 maximum inclusive), or a package of the same version built again
# would install beside the first.
msiinfo export "$work/package.msi" Upgrade |
  awk -F'\t' 'BEGIN { OFS = "\t" } NR > 3 && $7 ~ /^OLDERPRODUCTFOUND\r?$/ { $5 = 768 } { print }' > "$work/Upgrade.idt"
# Every file carries its version block's file version (DefaultVersion): Windows Installer then
# replaces an older copy of the file on the machine and keeps a newer one, instead of treating
# the binaries as unversioned data that yields to any versioned file already there. Hashes
# are for unversioned files only.
wixl_run -E > "$work/preprocessed.wxs"
grep -o '<File [^>]*>' "$work/preprocessed.wxs" |
  sed -n 's/.* Id="\([^"]*\)".* DefaultVersion="\([^"]*\)".*/\1\t\2/p' > "$work/versions"
msiinfo export "$work/package.msi" File |
  awk -F'\t' 'BEGIN { OFS = "\t" }
    NR == FNR { version[$1] = $2; next }
    FNR > 3 { if (!($1 in version)) { print "no version for file " $1 > "/dev/stderr"; exit 1 } $5 = version[$1] }
    { print }' "$work/versions" - > "$work/File.idt"
msiinfo export "$work/package.msi" MsiFileHash | awk 'NR <= 3' > "$work/MsiFileHash.idt"
msibuild "$work/package.msi" -i "$work/Upgrade.idt" -i "$work/File.idt" -i "$work/MsiFileHash.idt"

# The order the package's logic depends on: the language is chosen after AppSearch and before
# LaunchConditions checks it; an older copy goes between InstallValidate and InstallInitialize.
msiinfo export "$work/package.msi" InstallExecuteSequence | tr -d '\r' |
  awk -F'\t' 'NR > 3 { at[$1] = $3 }
    END {
      for (a in at) if (a ~ /Language/ && !(at[a] > at["AppSearch"] && at[a] < at["LaunchConditions"])) bad = bad " " a
      if (!(at["RemoveExistingProducts"] > at["InstallValidate"] && at["RemoveExistingProducts"] < at["InstallInitialize"]))
        bad = bad " RemoveExistingProducts"
      if (bad != "") { print "actions out of place in the package:" bad > "/dev/stderr"; exit 1 }
    }'

mv "$work/package.msi" "$package"
[ $quiet -eq 1 ] || echo "$package"
