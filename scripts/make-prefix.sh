#!/usr/bin/env bash
# Makes a fresh Wine prefix for the rig: booted, with fonts that cover every language of the
# package (Wine's own fonts, Liberation for Arial, a CJK face linked behind Liberation Sans).
#   make-prefix.sh           the 64-bit rig's prefix
#   make-prefix.sh --i686    the 32-bit rig's prefix (32-bit Wine in the i386 root)
set -euo pipefail
if [ "${1:-}" = "--i686" ]; then
  source "$(dirname "$0")/lib/wine32-env.sh"
  prefix=$RKX_WINEPREFIX32
  wine() { wine32 "$@"; }
  wineserver() { wineserver32 "$@"; }
else
  source "$(dirname "$0")/lib/wine-env.sh"
  prefix=$WINEPREFIX
  wine() { "$RKX_WINE" "$@"; }
  wineserver() { "$WINESERVER" "$@"; }
fi

wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
echo "== Wine prefix $prefix"
wine wineboot -i > "$prefix.boot.log" 2>&1 || { cat "$prefix.boot.log"; exit 1; }
wineserver -w

fonts=$prefix/drive_c/windows/Fonts
mkdir -p "$fonts"
cp /usr/share/wine/fonts/* "$fonts/"
cp /usr/share/fonts/truetype/liberation/*.ttf "$fonts/"
cp /usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf "$fonts/"
# Hangul: the Droid face is not linked for Korean text.
cp /usr/share/fonts/truetype/nanum/NanumGothic.ttf /usr/share/fonts/truetype/nanum/NanumGothicBold.ttf "$fonts/"

# Only link faces that exist: a SystemLink naming a missing face turns all text into boxes.
# The script lies beside the prefix, where the 32-bit Wine sees it too.
reg=$prefix.setup.reg
cat > "$reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Tahoma"="Liberation Sans"
"MS Shell Dlg"="Liberation Sans"
REG
# Under qemu the crash debugger cannot follow the crashed process (it stalls there): a crash
# ends the process at once, with no debugger started and no dialog to answer.
if [ "$prefix" = "${RKX_WINEPREFIX32:-}" ]; then
  cat >> "$reg" <<'REG'

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
"Debugger"=""
REG
fi
wine regedit /S "Z:${reg//\//\\}"
rm -f "$reg"
# Bold is linked by its own face name; without it bold Chinese and Korean text is boxes.
for face in "Liberation Sans" "Liberation Sans Bold"; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$face" /t REG_MULTI_SZ \
    /d 'DroidSansFallbackFull.ttf,Droid Sans Fallback\0NanumGothic.ttf,NanumGothic' /f > /dev/null
done
wineserver -w
echo "prefix ready"
