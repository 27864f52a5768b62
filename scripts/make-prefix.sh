#!/usr/bin/env bash
# Makes a fresh Wine prefix for the rig: booted, with fonts that cover every language of the
# package (Wine's own fonts, Liberation for Arial, a CJK face linked behind Liberation Sans).
set -euo pipefail
source "$(dirname "$0")/lib/wine-env.sh"

"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
echo "== Wine prefix $WINEPREFIX"
"$RKX_WINE" wineboot -i > "$WINEPREFIX.boot.log" 2>&1 || { cat "$WINEPREFIX.boot.log"; exit 1; }
"$WINESERVER" -w

fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
cp /usr/share/wine/fonts/* "$fonts/"
cp /usr/share/fonts/truetype/liberation/*.ttf "$fonts/"
cp /usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf "$fonts/"
# Hangul: the Droid face is not linked for Korean text.
cp /usr/share/fonts/truetype/nanum/NanumGothic.ttf /usr/share/fonts/truetype/nanum/NanumGothicBold.ttf "$fonts/"

# Only link faces that exist: a SystemLink naming a missing face turns all text into boxes.
reg=$(mktemp --suffix=.reg)
cat > "$reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Tahoma"="Liberation Sans"
"MS Shell Dlg"="Liberation Sans"
REG
"$RKX_WINE" regedit /S "Z:${reg//\//\\}"
rm -f "$reg"
# Bold is linked by its own face name; without it bold Chinese and Korean text is boxes.
for face in "Liberation Sans" "Liberation Sans Bold"; do
  "$RKX_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$face" /t REG_MULTI_SZ \
    /d 'DroidSansFallbackFull.ttf,Droid Sans Fallback\0NanumGothic.ttf,NanumGothic' /f > /dev/null
done
"$WINESERVER" -w
echo "prefix ready"
