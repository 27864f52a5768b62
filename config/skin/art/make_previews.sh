#!/usr/bin/env bash
# Puts the rendered skin images together for a human to look at:
#   make_previews.sh IMAGE_DIR OUT_DIR
# contact_sheet.png holds every image with its name; preview_input_page.png,
# preview_output_page.png and preview_asio_page.png lay the images out where the utility's pages
# draw them (boxes and labels as plain grey stand-ins), so misplaced joins show at a glance.
set -euo pipefail
images=$1 out=$2
mkdir -p "$out"
font=()
for candidate in /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf \
                 /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf; do
  if [ -f "$candidate" ]; then font=(-font "$candidate"); break; fi
done

names=()
for png in "$images"/*.png; do names+=("$png"); done
montage "${font[@]}" -pointsize 9 -background '#C8C8C8' -fill black \
  -label '%t\n%wx%h' "${names[@]}" -tile 6x -geometry '206x168>+4+4' "$out/contact_sheet.png"

img() { printf '%s' "$images/$1.png"; }
# at NAME X Y [W H]: composite arguments for one image (stretched when W and H are given).
at() {
  if [ $# -ge 5 ]; then
    printf '%s\n' "(" "$(img "$1")" -resize "${4}x${5}!" ")" -geometry "+$2+$3" -composite
  else
    printf '%s\n' "$(img "$1")" -geometry "+$2+$3" -composite
  fi
}
frame() {  # the dialog's frame with tab `current` selected
  local current=$1 args=() i piece
  if [ "$current" = 0 ]; then piece=TAB_L-END_ON; else piece=TAB_L-END_OFF; fi
  mapfile -t -O ${#args[@]} args < <(at "$piece" 7 59)
  for i in 0 1 2 3; do
    if [ "$current" = $i ]; then piece=TAB_C_ON; else piece=TAB_C_OFF; fi
    mapfile -t -O ${#args[@]} args < <(at "$piece" $((29 + 112 * i)) 59 90 26)
  done
  for i in 0 1 2; do
    if [ "$current" = $i ]; then piece=TAB_R_ON; elif [ "$current" = $((i + 1)) ]; then piece=TAB_L_ON; else piece=TAB_R_OFF; fi
    mapfile -t -O ${#args[@]} args < <(at "$piece" $((119 + 112 * i)) 59)
  done
  if [ "$current" = 3 ]; then piece=TAB_R-END_ON; else piece=TAB_R-END_OFF; fi
  mapfile -t -O ${#args[@]} args < <(at "$piece" 455 59)
  mapfile -t -O ${#args[@]} args < <(at LOGO 0 0)
  printf '%s\n' "${args[@]}"
}
canvas=(-size 596x556 xc:'#E8E8E8' -fill black -draw 'rectangle 0,0 595,84')
labels() {  # tab captions
  local i names=("MIXER INPUT" "MIXER OUTPUT" "ASIO" "About")
  for i in 0 1 2 3; do
    printf '%s\n' -fill black -pointsize 12 -annotate "+$((29 + 112 * i + 12))+75" "${names[$i]}"
  done
}

routing_page() {  # page 0 (IN) or page 1 (OUT)
  local kind=$1 tab=$2 file=$3 args=() r y
  mapfile -t args < <(frame "$tab")
  mapfile -t -O ${#args[@]} args < <(at "CONNECT_$kind" 196 92)
  args+=(-fill '#D0D0D0' -draw 'rectangle 262,178 343,191' -fill '#0000FF' -pointsize 11 -annotate +266+189 'Connected')
  mapfile -t -O ${#args[@]} args < <(at CAUTION 238 175)
  mapfile -t -O ${#args[@]} args < <(at PC 57 92)
  if [ "$kind" = IN ]; then mapfile -t -O ${#args[@]} args < <(at INPUTSELECTOR 514 108); fi
  mapfile -t -O ${#args[@]} args < <(at MIXER 378 94)
  if [ "$kind" = IN ]; then
    mapfile -t -O ${#args[@]} args < <(at FRAME_INPUTSELECTOR 378 94)
    mapfile -t -O ${#args[@]} args < <(at CENTERLINE_T2 296 85)
  else
    mapfile -t -O ${#args[@]} args < <(at FRAME_CH1FD 378 94)
    mapfile -t -O ${#args[@]} args < <(at CENTERLINE_OUT_T2 296 85)
  fi
  mapfile -t -O ${#args[@]} args < <(at "ROUTE_PC_${kind}_T2" 94 277)
  mapfile -t -O ${#args[@]} args < <(at "ROUTE_AI_${kind}_QVR_BLUE_T2" 182 277)
  for r in 0 1 2; do
    y=$((282 + 32 * r))
    args+=(-fill black -pointsize 11 -annotate "+35+$((y + 12))" "ROW $((r + 1)) :")
    args+=(-annotate "+325+$((y + 12))" "$((2 * r + 1))/$((2 * r + 2))")
    if [ "$kind" = IN ]; then
      mapfile -t -O ${#args[@]} args < <(at ROUTE_MIXER_IN_BLUE 381 $y)
      args+=(-fill none -stroke black -draw "rectangle 424,$y 490,$((y + 19))" -stroke none
             -fill '#D3D3D3' -draw "rectangle 425,$((y + 1)) 474,$((y + 18))")
      mapfile -t -O ${#args[@]} args < <(at PULLDOWN_ARROW 475 $y)
    else
      if [ $r = 2 ]; then mapfile -t -O ${#args[@]} args < <(at ROUTE_MIXER_OUT_QVR_GRAY 380 $y)
      else mapfile -t -O ${#args[@]} args < <(at ROUTE_MIXER_OUT_BLUE 380 $y); fi
      args+=(-fill none -stroke black -draw "rectangle 406,$y 573,$((y + 19))" -stroke none
             -fill '#D3D3D3' -draw "rectangle 407,$((y + 1)) 557,$((y + 18))")
      mapfile -t -O ${#args[@]} args < <(at PULLDOWN_ARROW 558 $y)
    fi
  done
  mapfile -t -O ${#args[@]} args < <(labels)
  convert "${canvas[@]}" "${font[@]}" "${args[@]}" "$file"
}
routing_page IN 0 "$out/preview_input_page.png"
routing_page OUT 1 "$out/preview_output_page.png"

# ASIO page: captions' L lines, the slider at 4 blocks, the button in its three looks, and a
# popup menu's panel with its shadow and check marks.
args=()
mapfile -t args < <(frame 2)
args+=(-fill none -stroke black -draw 'rectangle 38,277 556,498' -stroke none)
for y in 315 387 427; do mapfile -t -O ${#args[@]} args < <(at L_LINE 86 $y); done
mapfile -t -O ${#args[@]} args < <(at SLIDER_BASE 321 376)
mapfile -t -O ${#args[@]} args < <(at SLIDER_KNOB $((312 + 6 * 4)) 386)
x=60
for look in NORMAL OVER ON; do
  mapfile -t -O ${#args[@]} args < <(at "BUTTON_${look}_L" $x 460)
  mapfile -t -O ${#args[@]} args < <(at "BUTTON_${look}_C" $((x + 20)) 460 143 25)
  mapfile -t -O ${#args[@]} args < <(at "BUTTON_${look}_R" $((x + 163)) 460)
  x=$((x + 170))
  [ $x -gt 300 ] && break
done
mapfile -t -O ${#args[@]} args < <(at BUTTON_ON_L 206 505)
mapfile -t -O ${#args[@]} args < <(at BUTTON_ON_C 226 505 143 25)
mapfile -t -O ${#args[@]} args < <(at BUTTON_ON_R 369 505)
# Popup of three items at (300, 100): W = 215, H = 18 * 3 + 31.
px=300 py=100 W=215 H=85
mapfile -t -O ${#args[@]} args < <(at PLDWN_SHADOW_LU $px $((py - 8)))
mapfile -t -O ${#args[@]} args < <(at PLDWN_SHADOW_RU $((px + W - 28)) $((py - 8)))
mapfile -t -O ${#args[@]} args < <(at PLDWN_SHADOW_LC $px $((py + 17)) 28 $((H - 45)))
mapfile -t -O ${#args[@]} args < <(at PLDWN_SHADOW_RC $((px + W - 28)) $((py + 17)) 28 $((H - 45)))
mapfile -t -O ${#args[@]} args < <(at PLDWN_SHADOW_LD $px $((py + H - 28)))
mapfile -t -O ${#args[@]} args < <(at PLDWN_SHADOW_CD $((px + 28)) $((py + H - 28)) $((W - 56)) 28)
mapfile -t -O ${#args[@]} args < <(at PLDWN_SHADOW_RD $((px + W - 28)) $((py + H - 28)))
args+=(-fill '#E8E8E8' -stroke '#606060' -draw "rectangle $((px + 14)),$py $((px + W - 15)),$((py + H - 20))" -stroke none
       -fill '#0A0A0A' -draw "rectangle $((px + 15)),$((py + 24)) $((px + W - 16)),$((py + 41))")
mapfile -t -O ${#args[@]} args < <(at PLDWN_CHECK_NORMAL $((px + 15)) $((py + 6)))
mapfile -t -O ${#args[@]} args < <(at PLDWN_CHECK_FOCUS $((px + 15)) $((py + 24)))
mapfile -t -O ${#args[@]} args < <(at CAUTION 100 120)
mapfile -t -O ${#args[@]} args < <(at TOOL-ICON 38 115)
mapfile -t -O ${#args[@]} args < <(at PULLDOWN_ARROW_DIS 200 140)
mapfile -t -O ${#args[@]} args < <(labels)
convert "${canvas[@]}" "${font[@]}" "${args[@]}" "$out/preview_asio_page.png"
