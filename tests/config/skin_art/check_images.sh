#!/usr/bin/env bash
# Checks the rendered skin images against what the utility's code expects of them:
#   check_images.sh IMAGE_DIR SKIN_RC
# - every catalogue name has a PNG (and an .rc line), none missing, none extra;
# - each PNG has exactly its catalogue size and pixel kind (8-bit RGB or RGBA in the header);
# - the ten highlight frames outline different controls that lie on the mixer drawing;
# - tab, button and shadow pieces join without a visible seam when the middle ones stretch;
# - route drawings meet the page's boxes and leave the page's labels uncovered;
# - the application icon holds 16, 32 and 48 pixel images.
set -uo pipefail
dir=$1 rc=$2
failures=0
checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); }

# The catalogue as the layout code knows it: name, width, height, pixel kind.
expected="
LOGO 150 30 RGBA
TOOL-ICON 48 48 RGBA
CAUTION 24 24 RGBA
L_LINE 84 16 RGBA
INPUTSELECTOR 68 68 RGBA
PC 160 164 RGBA
MIXER 160 164 RGBA
CONNECT_IN 203 164 RGBA
CONNECT_OUT 203 164 RGBA
CENTERLINE_T2 3 460 RGBA
CENTERLINE_OUT_T2 3 460 RGBA
FRAME_INPUTSELECTOR 160 164 RGBA
FRAME_TC1 160 164 RGBA
FRAME_TC2 160 164 RGBA
FRAME_CH1FD 160 164 RGBA
FRAME_CH2FD 160 164 RGBA
FRAME_CFA 160 164 RGBA
FRAME_CFB 160 164 RGBA
FRAME_TMIC 160 164 RGBA
FRAME_AUX 160 164 RGBA
FRAME_MASTER 160 164 RGBA
ROUTE_AI_IN_GRAY_T2 160 126 RGBA
ROUTE_AI_IN_BLUE_T2 160 126 RGBA
ROUTE_AI_IN_QVR_GRAY_T2 160 126 RGBA
ROUTE_AI_IN_QVR_BLUE_T2 160 126 RGBA
ROUTE_AI_OUT_GRAY_T2 160 126 RGBA
ROUTE_AI_OUT_BLUE_T2 160 126 RGBA
ROUTE_AI_OUT_QVR_GRAY_T2 160 126 RGBA
ROUTE_AI_OUT_QVR_BLUE_T2 160 126 RGBA
ROUTE_PC_IN_T2 116 144 RGBA
ROUTE_PC_OUT_T2 116 144 RGBA
ROUTE_MIXER_IN_GRAY 40 20 RGBA
ROUTE_MIXER_IN_BLUE 40 20 RGBA
ROUTE_MIXER_IN_QVR_GRAY 40 20 RGBA
ROUTE_MIXER_OUT_GRAY 26 20 RGBA
ROUTE_MIXER_OUT_BLUE 26 20 RGBA
ROUTE_MIXER_OUT_QVR_GRAY 26 20 RGBA
TAB_L_ON 22 26 RGB
TAB_L_OFF 22 26 RGB
TAB_R_ON 22 26 RGB
TAB_R_OFF 22 26 RGB
TAB_L-END_ON 22 26 RGB
TAB_L-END_OFF 22 26 RGB
TAB_R-END_ON 22 26 RGB
TAB_R-END_OFF 22 26 RGB
TAB_C_ON 2 26 RGB
TAB_C_OFF 2 26 RGB
BUTTON_NORMAL_L 20 25 RGB
BUTTON_NORMAL_R 20 25 RGB
BUTTON_ON_L 20 25 RGB
BUTTON_ON_R 20 25 RGB
BUTTON_OVER_L 20 25 RGB
BUTTON_OVER_R 20 25 RGB
BUTTON_NORMAL_C 2 25 RGB
BUTTON_ON_C 2 25 RGB
BUTTON_OVER_C 2 25 RGB
SLIDER_BASE 177 27 RGBA
SLIDER_KNOB 9 24 RGBA
PULLDOWN_ARROW 16 20 RGB
PULLDOWN_ARROW_DIS 16 20 RGB
PLDWN_SHADOW_LU 28 25 RGBA
PLDWN_SHADOW_RU 28 25 RGBA
PLDWN_SHADOW_CU 2 25 RGBA
PLDWN_SHADOW_LC 28 2 RGBA
PLDWN_SHADOW_RC 28 2 RGBA
PLDWN_SHADOW_LD 28 28 RGBA
PLDWN_SHADOW_RD 28 28 RGBA
PLDWN_SHADOW_CD 2 28 RGBA
PLDWN_CHECK_NORMAL 22 18 RGB
PLDWN_CHECK_FOCUS 22 18 RGB
"

png() { printf '%s/%s.png' "$dir" "$1"; }
# Every image is read once into "x y #RRGGBB[AA]" lines; the checks below look at those.
dumps=$(mktemp -d)
trap 'rm -rf "$dumps"' EXIT
dump() {
  [ -f "$dumps/$1" ] ||
    convert "$(png "$1")" -depth 8 txt:- 2>/dev/null | awk -F'[,: ]+' 'NR > 1 { print $1, $2, $0 }' |
      awk '{ for (i = 3; i <= NF; i++) if ($i ~ /^#/) { print $1, $2, $i; break } }' > "$dumps/$1"
  printf '%s' "$dumps/$1"
}
# Pixels of a rectangle, one "#RRGGBB[AA]" per line, row by row.
pixels() {  # name x y w h
  awk -v x0="$2" -v y0="$3" -v w="$4" -v h="$5" \
    '$1 >= x0 && $1 < x0 + w && $2 >= y0 && $2 < y0 + h { print $3 }' "$(dump "$1")"
}
# Largest or smallest alpha (0..255; 255 without an alpha channel) in a rectangle.
alpha_extreme() {  # max|min name x y w h
  awk -v which="$1" -v x0="$3" -v y0="$4" -v w="$5" -v h="$6" '
    function hex(c) { return index("0123456789ABCDEF", c) - 1 }
    $1 >= x0 && $1 < x0 + w && $2 >= y0 && $2 < y0 + h {
      a = length($3) == 9 ? hex(substr($3, 8, 1)) * 16 + hex(substr($3, 9, 1)) : 255
      if (!n++ || (which == "max" && a > r) || (which == "min" && a < r)) r = a }
    END { print r }' "$(dump "$2")"
}
max_alpha() { alpha_extreme max "$@"; }
min_alpha() { alpha_extreme min "$@"; }
# Bounding box "x0 y0 x1 y1" (inclusive) of the pixels that are not fully transparent.
opaque_box() {
  awk 'length($3) == 9 && substr($3, 8, 2) != "00" {
         if (!n++ || $1 < x0) x0 = $1; if (n == 1 || $2 < y0) y0 = $2
         if (n == 1 || $1 > x1) x1 = $1; if (n == 1 || $2 > y1) y1 = $2 }
       END { if (n) print x0, y0, x1, y1 }' "$(dump "$1")"
}
# Two pixel lists are the same colour within `tolerance` per channel.
same_pixels() {  # tolerance list_a list_b
  awk -v tol="$1" '
    function hex(s, i) { return index("0123456789ABCDEF", toupper(substr(s, i, 1))) - 1 }
    function ch(s, k) { return hex(s, 2 + 2 * k) * 16 + hex(s, 3 + 2 * k) }
    NR == FNR { a[FNR] = $1; n = FNR; next }
    { m = FNR; if (length(a[FNR]) != length($1)) bad = 1
      for (k = 0; k < (length($1) - 1) / 2; k++) { d = ch(a[FNR], k) - ch($1, k); if (d < 0) d = -d; if (d > tol) bad = 1 } }
    END { exit (bad || n != m || n == 0) }' <(printf '%s\n' "$2") <(printf '%s\n' "$3")
}
column() { pixels "$1" "$2" 0 1 100000; }
row() { pixels "$1" 0 "$2" 100000 1; }
seam() {  # what tolerance list_a list_b
  check
  same_pixels "$2" "$3" "$4" || fail "seam: $1"
}

# ---- the catalogue: names, sizes, pixel kinds
declare -A want
while read -r name width height kind; do
  [ -n "$name" ] || continue
  want[$name]="$width $height $kind"
done <<< "$expected"

for name in "${!want[@]}"; do
  check
  file=$(png "$name")
  if [ ! -f "$file" ]; then fail "$name: no image"; continue; fi
  read -r width height kind <<< "${want[$name]}"
  # Bytes 16..25 of a PNG: IHDR width, height (big-endian), bit depth, colour type.
  read -r w0 w1 w2 w3 h0 h1 h2 h3 depth colour < <(od -A n -t u1 -j 16 -N 10 "$file")
  w=$(( (w0 << 24) | (w1 << 16) | (w2 << 8) | w3 ))
  h=$(( (h0 << 24) | (h1 << 16) | (h2 << 8) | h3 ))
  [ "$w $h" = "$width $height" ] || fail "$name: ${w}x${h}, catalogue says ${width}x${height}"
  case "$kind" in RGB) type=2 ;; RGBA) type=6 ;; esac
  [ "$depth" = 8 ] && [ "$colour" = "$type" ] ||
    fail "$name: bit depth $depth colour type $colour, catalogue says 8-bit $kind"
  check
  grep -Fqx "\"$name\" IMAGE \"$file\"" "$rc" || fail "$name: not listed in $rc as type IMAGE"
done
for file in "$dir"/*.png; do
  name=$(basename "$file" .png)
  check
  [ -n "${want[$name]:-}" ] || fail "$name.png is not in the catalogue"
done
check
lines=$(grep -c ' IMAGE ' "$rc")
[ "$lines" = "${#want[@]}" ] || fail "$rc has $lines images, the catalogue ${#want[@]}"

# ---- the highlight frames on the mixer drawing
read -r mx0 my0 mx1 my1 < <(opaque_box MIXER)
declare -A seen
for frame in INPUTSELECTOR TC1 TC2 CH1FD CH2FD CFA CFB TMIC AUX MASTER; do
  name=FRAME_$frame
  [ -f "$(png "$name")" ] || continue
  check
  read -r x0 y0 x1 y1 < <(opaque_box "$name")
  if [ -z "${x0:-}" ] || [ "$x1" -le "$x0" ] || [ "$y1" -le "$y0" ]; then fail "$name: nothing drawn"; continue; fi
  box="$x0 $y0 $x1 $y1"
  [ -z "${seen[$box]:-}" ] || fail "$name outlines the same place as ${seen[$box]}"
  seen[$box]=$name
  # Inside the mixer's body, and a frame rather than a patch: open in the middle.
  [ "$x0" -ge "$mx0" ] && [ "$y0" -ge "$my0" ] && [ "$x1" -le "$mx1" ] && [ "$y1" -le "$my1" ] ||
    fail "$name ($box) reaches outside the mixer drawing ($mx0 $my0 $mx1 $my1)"
  cx=$(( (x0 + x1) / 2 )) cy=$(( (y0 + y1) / 2 ))
  [ "$(max_alpha "$name" $cx $cy 1 1)" = 0 ] || fail "$name is filled in its middle ($cx, $cy)"
  [ "$(min_alpha MIXER $cx $cy 1 1)" = 255 ] || fail "$name surrounds ($cx, $cy), where the mixer drawing is not opaque"
  # Something to outline: the mixer shows more than its plain body inside the frame.
  colours=$(pixels MIXER $((x0 + 2)) $((y0 + 2)) $((x1 - x0 - 3)) $((y1 - y0 - 3)) | sort -u | wc -l)
  [ "$colours" -ge 12 ] || fail "$name outlines a plain area of the mixer ($colours colours)"
done
check
[ "${#seen[@]}" = 10 ] || fail "expected 10 distinct frames, found ${#seen[@]}"

# ---- seams of the stretched pieces
for state in ON OFF; do
  c0=$(column TAB_C_$state 0); c1=$(column TAB_C_$state 1)
  seam "TAB_C_$state columns" 0 "$c0" "$c1"
done
on=$(column TAB_C_ON 0); off=$(column TAB_C_OFF 0)
seam "TAB_L-END_ON | TAB_C_ON" 2 "$(column TAB_L-END_ON 21)" "$on"
seam "TAB_L-END_OFF | TAB_C_OFF" 2 "$(column TAB_L-END_OFF 21)" "$off"
seam "TAB_C_ON | TAB_R-END_ON" 2 "$on" "$(column TAB_R-END_ON 0)"
seam "TAB_C_OFF | TAB_R-END_OFF" 2 "$off" "$(column TAB_R-END_OFF 0)"
seam "TAB_C_ON | TAB_R_ON" 2 "$on" "$(column TAB_R_ON 0)"
seam "TAB_R_ON | TAB_C_OFF" 2 "$(column TAB_R_ON 21)" "$off"
seam "TAB_C_OFF | TAB_L_ON" 2 "$off" "$(column TAB_L_ON 0)"
seam "TAB_L_ON | TAB_C_ON" 2 "$(column TAB_L_ON 21)" "$on"
for piece in TAB_R_OFF TAB_L_OFF; do
  seam "TAB_C_OFF | $piece" 2 "$off" "$(column $piece 0)"
  seam "$piece | TAB_C_OFF" 2 "$(column $piece 21)" "$off"
done
for state in NORMAL ON OVER; do
  middle=$(column BUTTON_${state}_C 0)
  seam "BUTTON_${state}_C columns" 0 "$middle" "$(column BUTTON_${state}_C 1)"
  seam "BUTTON_${state}_L | _C" 2 "$(column BUTTON_${state}_L 19)" "$middle"
  seam "BUTTON_${state}_C | _R" 2 "$middle" "$(column BUTTON_${state}_R 0)"
done
# Shadow: the sides stretch vertically, the lower middle horizontally, the upper middle sits
# two rows lower than the upper corners.
for side in L R; do
  seam "PLDWN_SHADOW_${side}C rows" 0 "$(row PLDWN_SHADOW_${side}C 0)" "$(row PLDWN_SHADOW_${side}C 1)"
  seam "PLDWN_SHADOW_${side}U | ${side}C" 6 "$(row PLDWN_SHADOW_${side}U 24)" "$(row PLDWN_SHADOW_${side}C 0)"
  seam "PLDWN_SHADOW_${side}C | ${side}D" 6 "$(row PLDWN_SHADOW_${side}C 0)" "$(row PLDWN_SHADOW_${side}D 0)"
done
seam "PLDWN_SHADOW_CD columns" 0 "$(column PLDWN_SHADOW_CD 0)" "$(column PLDWN_SHADOW_CD 1)"
seam "PLDWN_SHADOW_LD | CD" 6 "$(column PLDWN_SHADOW_LD 27)" "$(column PLDWN_SHADOW_CD 0)"
seam "PLDWN_SHADOW_CD | RD" 6 "$(column PLDWN_SHADOW_CD 1)" "$(column PLDWN_SHADOW_RD 0)"
seam "PLDWN_SHADOW_CU columns" 0 "$(column PLDWN_SHADOW_CU 0)" "$(column PLDWN_SHADOW_CU 1)"
seam "PLDWN_SHADOW_LU | CU" 6 "$(pixels PLDWN_SHADOW_LU 27 2 1 23)" "$(pixels PLDWN_SHADOW_CU 0 0 1 23)"
seam "PLDWN_SHADOW_CU | RU" 6 "$(pixels PLDWN_SHADOW_CU 1 0 1 23)" "$(pixels PLDWN_SHADOW_RU 0 2 1 23)"
check
[ "$(max_alpha PLDWN_SHADOW_LC 0 0 28 2)" -ge 40 ] || fail "PLDWN_SHADOW_LC casts no visible shadow"

# ---- where the pages put boxes and labels (client pixels turned into image pixels)
for row_top in 282 314 346; do
  line=$((row_top + 10 - 277))   # route lines run through the middle of a row's box
  label=$((row_top + 2 - 277))   # captions and pair labels are 14 pixels high from here
  for name in ROUTE_AI_IN_GRAY_T2 ROUTE_AI_IN_BLUE_T2 ROUTE_AI_IN_QVR_GRAY_T2 ROUTE_AI_IN_QVR_BLUE_T2 \
              ROUTE_AI_OUT_GRAY_T2 ROUTE_AI_OUT_BLUE_T2 ROUTE_AI_OUT_QVR_GRAY_T2 ROUTE_AI_OUT_QVR_BLUE_T2; do
    check
    [ "$(max_alpha $name 143 $label 17 14)" = 0 ] || fail "$name covers the pair label of row $row_top"
    check
    [ "$(min_alpha $name 8 $((line - 1)) 124 1)" = 255 ] || fail "$name: no unbroken line through row $row_top"
  done
  for name in ROUTE_PC_IN_T2 ROUTE_PC_OUT_T2; do
    check   # "REC :" reaches client x 164 on the output page
    [ "$(max_alpha $name 0 $label 71 14)" = 0 ] || fail "$name covers the caption of row $row_top"
    check
    [ "$(min_alpha $name 84 $((line - 1)) 32 1)" = 255 ] || fail "$name: row $row_top does not reach the mixer-side route"
  done
done
for name in ROUTE_MIXER_IN_GRAY ROUTE_MIXER_IN_BLUE ROUTE_MIXER_IN_QVR_GRAY; do
  check   # from the pair label's end (client 381) to the box at 424
  [ "$(min_alpha $name 0 9 1 1)" = 255 ] && [ "$(max_alpha $name 37 9 3 2)" -gt 0 ] ||
    fail "$name does not run from the pair label to the box"
done
for name in ROUTE_MIXER_OUT_GRAY ROUTE_MIXER_OUT_BLUE ROUTE_MIXER_OUT_QVR_GRAY; do
  check   # starts at the box's left edge (client 406)
  [ "$(min_alpha $name 24 9 2 2)" = 255 ] && [ "$(max_alpha $name 0 9 3 2)" -gt 0 ] ||
    fail "$name does not run from the box to the pair label"
done
for name in CONNECT_IN CONNECT_OUT; do
  check   # the connection label (82 x 14 at client (262, 178)) is rendered on 0xD0D0D0
  colours=$(pixels $name 66 86 82 14 | sort -u | tr '\n' ' ')
  [ "$colours" = "#D0D0D0FF " ] || fail "$name: the connection label's place is not plain D0D0D0 (${colours:0:60})"
done
for name in CENTERLINE_T2 CENTERLINE_OUT_T2; do
  check
  [ "$(max_alpha $name 0 93 3 14)" = 0 ] || fail "$name runs through the connection label"
done
for name in PULLDOWN_ARROW PULLDOWN_ARROW_DIS; do
  check   # the arrow closes the box: its top, bottom and right edges carry the black outline
  edges="$(row $name 0) $(row $name 19) $(column $name 15)"
  [ "$(printf '%s\n' $edges | sort -u)" = "#000000" ] || fail "$name does not continue the box's outline"
done
check
[ "$(pixels PLDWN_CHECK_NORMAL 0 0 1 1)" = "#E8E8E8" ] && [ "$(pixels PLDWN_CHECK_FOCUS 0 0 1 1)" = "#0A0A0A" ] ||
  fail "check marks are not on the menu's background and highlight bar colours"
check
[ "$(pixels SLIDER_BASE 0 0 177 27 | sort -u | wc -l)" -gt 4 ] || fail "SLIDER_BASE is blank"

check   # the application icon (505) carries the three sizes the shell asks for
sizes=$(identify -format '%w,%h ' "$dir/app_icon.ico" 2>/dev/null)
[ "$sizes" = "16,16 32,32 48,48 " ] || fail "app_icon.ico holds '$sizes', expected 16, 32 and 48 pixels"

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
