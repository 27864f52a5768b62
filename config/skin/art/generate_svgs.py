#!/usr/bin/env python3
"""Writes the skin's SVG sources into this folder.

The pictures share geometry: the mixer drawing and its ten highlight frames, the route drawings
and the places where the pages put their labels and boxes, the pieces of the tabs, buttons and
popup shadow that must join. Keeping that geometry here, in one place, keeps the set consistent;
the SVG files it writes are the sources the build renders. Run it after changing anything here:

    python3 config/skin/art/generate_svgs.py
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette (see README.md).
PAGE = "#E8E8E8"
BODY_TOP = "#3A3E45"
BODY_BOTTOM = "#272A2F"
BODY_EDGE = "#141619"
BODY_BEVEL = "#5B616B"
KNOB = "#474C54"
KNOB_RING = "#1B1D21"
KNOB_MARK = "#F2F2F2"
SLOT = "#0E0F11"
CAP = "#D9DDE2"
CAP_EDGE = "#8D939B"
ACCENT = "#FF8A1F"
ROUTE_BLUE = "#1F7AD6"
ROUTE_GRAY = "#A9ADB2"
ROUTE_PC = "#5A6068"
LABEL_PLATE = "#D0D0D0"
FONT = "Liberation Sans, Arial, DejaVu Sans, sans-serif"

# Where the pages put things, in client pixels of the main window.
PC_AT = (57, 92)
CONNECT_AT = (196, 92)
MIXER_AT = (378, 94)
CENTERLINE_AT = (296, 85)
ROUTE_PC_AT = (94, 277)
ROUTE_AI_AT = (182, 277)
ROW_TOPS = [282, 314, 346]
PAIR_LABEL_X = 325
CONNECTION_LABEL = (262, 178, 82, 14)
CAUTION_AT = (238, 175)
# Route lines run through the middle of the 20-pixel boxes: rows top+9 and top+10.
ROW_LINE_OFFSET = 10


def svg(name, w, h, body, view=None):
    view = view or f"0 0 {w} {h}"
    text = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="{view}">\n'
            f'{body}</svg>\n')
    with open(os.path.join(HERE, name + ".svg"), "w", encoding="utf-8") as out:
        out.write(text)


def vgrad(ident, stops):
    inner = "".join(f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    return f'<linearGradient id="{ident}" x1="0" y1="0" x2="0" y2="1">{inner}</linearGradient>\n'


# ---------------------------------------------------------------- mixer and its frames
# Controls of the mixer drawing, in its 160 x 164 canvas. The body leaves the right 24 pixels
# free: on the input page the input-selector symbol shows through there.
MIXER_BODY = (4, 4, 128, 156)
CH_X = [30, 62]
MASTER_X = 104
SELECTOR_Y = 18
TRIM_Y = 41
EQ_Y = [62, 80]
FADER_TOP, FADER_BOTTOM = 96, 134
FADER_CAP_Y = [108, 118]
XFADER_Y = 147
XFADER_X = (20, 72)
AUX_KNOB = (MASTER_X, 41)
MIC_KNOB = (98, 66)
MASTER_KNOB = (MASTER_X, 95)

# Frame rectangles (x, y, w, h): each encloses one control of the drawing above.
FRAMES = {
    "FRAME_INPUTSELECTOR": (14, 9, 106, 19),
    "FRAME_TC1": (CH_X[0] - 11, TRIM_Y - 11, 22, 22),
    "FRAME_TC2": (CH_X[1] - 11, TRIM_Y - 11, 22, 22),
    "FRAME_CH1FD": (CH_X[0] - 9, FADER_TOP - 4, 18, FADER_BOTTOM - FADER_TOP + 8),
    "FRAME_CH2FD": (CH_X[1] - 9, FADER_TOP - 4, 18, FADER_BOTTOM - FADER_TOP + 8),
    "FRAME_CFA": (XFADER_X[0] - 8, XFADER_Y - 8, 34, 16),
    "FRAME_CFB": (46, XFADER_Y - 8, 34, 16),
    "FRAME_TMIC": (MIC_KNOB[0] - 11, MIC_KNOB[1] - 11, 41, 22),
    "FRAME_AUX": (AUX_KNOB[0] - 11, AUX_KNOB[1] - 11, 22, 22),
    "FRAME_MASTER": (MASTER_KNOB[0] - 14, MASTER_KNOB[1] - 14, 28, 28),
}


def knob(cx, cy, r, angle_deg, face=KNOB):
    a = math.radians(angle_deg - 90)
    x2, y2 = cx + (r - 1.5) * math.cos(a), cy + (r - 1.5) * math.sin(a)
    x1, y1 = cx + (r * 0.35) * math.cos(a), cy + (r * 0.35) * math.sin(a)
    return (f'<circle cx="{cx}" cy="{cy}" r="{r + 1}" fill="{KNOB_RING}"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="url(#knob)"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{r - 0.5}" fill="none" stroke="#6A707A" stroke-width="0.8"/>'
            f'<line x1="{x1:.2f}" y1="{y1:.2f}" x2="{x2:.2f}" y2="{y2:.2f}" stroke="{KNOB_MARK}" '
            f'stroke-width="1.6" stroke-linecap="round"/>\n')


def selector(cx, cy, position):
    # Three-position lever switch; the lever stands at `position` (0 left, 2 right).
    lever_x = cx - 6 + 6 * position
    dots = "".join(f'<circle cx="{cx - 6 + 6 * i}" cy="{cy - 6}" r="0.9" fill="#9AA0A8"/>' for i in range(3))
    return (f'<rect x="{cx - 10}" y="{cy - 3}" width="20" height="6" rx="3" fill="{SLOT}" stroke="#50555D" stroke-width="0.6"/>'
            f'{dots}<rect x="{lever_x - 2.5}" y="{cy - 4}" width="5" height="8" rx="1.5" fill="{CAP}" stroke="{CAP_EDGE}" stroke-width="0.6"/>\n')


def vfader(cx, top, bottom, cap_y):
    ticks = "".join(f'<line x1="{cx - 7}" y1="{y}" x2="{cx - 4.5}" y2="{y}" stroke="#7D838C" stroke-width="0.7"/>'
                    f'<line x1="{cx + 4.5}" y1="{y}" x2="{cx + 7}" y2="{y}" stroke="#7D838C" stroke-width="0.7"/>'
                    for y in range(top + 2, bottom, 6))
    return (f'{ticks}<rect x="{cx - 1.5}" y="{top}" width="3" height="{bottom - top}" rx="1.5" fill="{SLOT}"/>'
            f'<rect x="{cx - 5}" y="{cap_y - 4}" width="10" height="8" rx="1.5" fill="url(#cap)" stroke="{CAP_EDGE}" stroke-width="0.6"/>'
            f'<line x1="{cx - 4}" y1="{cap_y}" x2="{cx + 4}" y2="{cap_y}" stroke="#1A1A1A" stroke-width="1"/>\n')


def mixer_defs():
    return ("<defs>" + vgrad("body", [(0, BODY_TOP), (1, BODY_BOTTOM)])
            + '<radialGradient id="knob" cx="0.4" cy="0.35" r="0.7"><stop offset="0" stop-color="#6B717B"/>'
              f'<stop offset="1" stop-color="{KNOB}"/></radialGradient>'
            + vgrad("cap", [(0, "#F4F6F8"), (1, "#B9BEC5")]) + "</defs>\n")


def mixer():
    x, y, w, h = MIXER_BODY
    b = mixer_defs()
    # USB socket on the left side, where the cable of the connection drawing comes in.
    b += f'<rect x="1" y="88" width="5" height="10" rx="1" fill="#1A1C20" stroke="#8D939B" stroke-width="0.6"/>'
    b += (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="9" fill="{BODY_EDGE}"/>'
          f'<rect x="{x + 1}" y="{y + 1}" width="{w - 2}" height="{h - 2}" rx="8" fill="url(#body)" '
          f'stroke="{BODY_BEVEL}" stroke-width="0.8"/>\n')
    # Section divider between the channel strips and the master section.
    b += f'<line x1="84" y1="{y + 30}" x2="84" y2="{y + h - 26}" stroke="#1B1D21" stroke-width="1"/>'
    b += f'<line x1="85" y1="{y + 30}" x2="85" y2="{y + h - 26}" stroke="#4A4F57" stroke-width="0.6"/>\n'
    for cx, pos in zip(CH_X + [MASTER_X], [0, 2, 1]):
        b += selector(cx, SELECTOR_Y, pos)
    for i, cx in enumerate(CH_X):
        b += knob(cx, TRIM_Y, 8, -40 + 60 * i)
        # A small signal lamp by each trim: the turntable/control input.
        b += f'<circle cx="{cx + 10}" cy="{TRIM_Y - 7}" r="1.2" fill="#38D26B"/>'
        b += knob(cx, EQ_Y[0], 6.5, 0)
        b += knob(cx, EQ_Y[1], 6.5, 20 - 40 * i)
        b += vfader(cx, FADER_TOP, FADER_BOTTOM, FADER_CAP_Y[i])
    b += knob(*AUX_KNOB, 8, 30)
    b += knob(*MIC_KNOB, 7, -30)
    # Microphone glyph beside its knob.
    mx, my = MIC_KNOB[0] + 17, MIC_KNOB[1]
    b += (f'<rect x="{mx - 2}" y="{my - 6}" width="4" height="7" rx="2" fill="#C9CDD3"/>'
          f'<path d="M{mx - 3.5},{my - 1} a3.5,3.5 0 0 0 7,0 M{mx},{my + 2.5} v2.5 M{mx - 2},{my + 5} h4" '
          f'fill="none" stroke="#C9CDD3" stroke-width="0.9"/>\n')
    b += knob(*MASTER_KNOB, 10, 45)
    # Master level meter, two columns of lamps.
    for col, mx in enumerate((99, 109)):
        for i in range(8):
            ly = 146 - 4 * i
            colour = "#38D26B" if i < 5 else ("#FFC21A" if i < 7 else "#FF4A3A")
            lit = i < (6 if col == 0 else 5)
            b += (f'<rect x="{mx - 3}" y="{ly - 1.3}" width="6" height="2.6" rx="0.6" fill="{colour}" '
                  f'opacity="{1 if lit else 0.22}"/>')
    b += "\n"
    # Cross-fader with its A and B ends.
    x0, x1 = XFADER_X
    b += f'<rect x="{x0}" y="{XFADER_Y - 1.5}" width="{x1 - x0}" height="3" rx="1.5" fill="{SLOT}"/>'
    b += (f'<rect x="{(x0 + x1) / 2 - 4}" y="{XFADER_Y - 5.5}" width="8" height="11" rx="1.5" fill="url(#cap)" '
          f'stroke="{CAP_EDGE}" stroke-width="0.6"/>'
          f'<line x1="{(x0 + x1) / 2}" y1="{XFADER_Y - 4.5}" x2="{(x0 + x1) / 2}" y2="{XFADER_Y + 4.5}" stroke="#1A1A1A" stroke-width="1"/>')
    b += (f'<text x="{x0 - 4}" y="{XFADER_Y + 2.5}" font-family="{FONT}" font-size="7" font-weight="bold" '
          f'fill="#AEB4BC" text-anchor="middle">A</text>'
          f'<text x="{x1 + 4}" y="{XFADER_Y + 2.5}" font-family="{FONT}" font-size="7" font-weight="bold" '
          f'fill="#AEB4BC" text-anchor="middle">B</text>\n')
    svg("MIXER", 160, 164, b)


def frames():
    for name, (x, y, w, h) in FRAMES.items():
        b = (f'<rect x="{x - 0.5}" y="{y - 0.5}" width="{w + 1}" height="{h + 1}" rx="5" fill="none" '
             f'stroke="{ACCENT}" stroke-opacity="0.35" stroke-width="3"/>'
             f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="4.5" fill="none" stroke="{ACCENT}" stroke-width="1.6"/>\n')
        svg(name, 160, 164, b)


def input_selector():
    # The selector dial, standing on USB; shown beside the mixer and in the warning balloon.
    c = 34
    b = ("<defs>" + vgrad("plate", [(0, "#3E434A"), (1, "#25282D")])
         + '<radialGradient id="knob" cx="0.4" cy="0.35" r="0.7"><stop offset="0" stop-color="#767C86"/>'
           f'<stop offset="1" stop-color="{KNOB}"/></radialGradient></defs>\n')
    b += f'<rect x="2" y="2" width="64" height="64" rx="12" fill="{BODY_EDGE}"/>'
    b += f'<rect x="3" y="3" width="62" height="62" rx="11" fill="url(#plate)" stroke="{BODY_BEVEL}" stroke-width="1"/>\n'
    positions = [(-60, "#9AA0A8"), (0, "#9AA0A8"), (60, ROUTE_BLUE)]
    for angle, colour in positions:
        a = math.radians(angle - 90)
        b += (f'<circle cx="{c + 22 * math.cos(a):.2f}" cy="{c + 4 + 22 * math.sin(a):.2f}" r="2.6" fill="{colour}"/>')
    # The name of the position that matters, above its (blue) mark.
    b += (f'<text x="{c + 19}" y="{c - 16}" font-family="{FONT}" font-size="9" font-weight="bold" '
          f'fill="#FFFFFF" text-anchor="middle">USB</text>\n')
    b += f'<circle cx="{c}" cy="{c + 4}" r="14" fill="{KNOB_RING}"/><circle cx="{c}" cy="{c + 4}" r="13" fill="url(#knob)"/>'
    a = math.radians(60 - 90)
    b += (f'<line x1="{c + 4 * math.cos(a):.2f}" y1="{c + 4 + 4 * math.sin(a):.2f}" x2="{c + 11.5 * math.cos(a):.2f}" '
          f'y2="{c + 4 + 11.5 * math.sin(a):.2f}" stroke="{KNOB_MARK}" stroke-width="2.4" stroke-linecap="round"/>\n')
    svg("INPUTSELECTOR", 68, 68, b)


# ---------------------------------------------------------------- computer and connection
def pc():
    b = ("<defs>" + vgrad("lid", [(0, "#3A3E45"), (1, "#25282D")])
         + vgrad("screen", [(0, "#15202E"), (1, "#0A0F16")])
         + vgrad("base", [(0, "#C9CED5"), (1, "#8E949C")]) + "</defs>\n")
    b += f'<rect x="16" y="30" width="128" height="82" rx="7" fill="{BODY_EDGE}"/>'
    b += f'<rect x="17" y="31" width="126" height="80" rx="6" fill="url(#lid)" stroke="{BODY_BEVEL}" stroke-width="0.8"/>'
    b += '<rect x="23" y="37" width="114" height="68" rx="2" fill="url(#screen)"/>\n'
    # Two decks of a DJ program: waveform strips, then two platters.
    for i, (top, colour) in enumerate(((41, ROUTE_BLUE), (55, ACCENT))):
        mid = top + 5.5
        pts = []
        for k in range(0, 53):
            xx = 27 + 2 * k
            amp = 1.2 + 4.0 * abs(math.sin(k * 0.55 + i * 1.7)) * (0.55 + 0.45 * math.sin(k * 0.19 + i))
            pts.append((xx, amp))
        path = "M" + " L".join(f"{xx},{mid - a:.2f}" for xx, a in pts)
        path += " L" + " L".join(f"{xx},{mid + a:.2f}" for xx, a in reversed(pts)) + " Z"
        b += f'<path d="{path}" fill="{colour}" opacity="0.9"/>'
        b += f'<line x1="80" y1="{top}" x2="80" y2="{top + 11}" stroke="#FFFFFF" stroke-width="0.8"/>'
    for cx, colour in ((46, ROUTE_BLUE), (114, ACCENT)):
        b += (f'<circle cx="{cx}" cy="88" r="12" fill="#1E2733" stroke="{colour}" stroke-width="1.5"/>'
              f'<circle cx="{cx}" cy="88" r="2" fill="{colour}"/>'
              f'<line x1="{cx}" y1="88" x2="{cx + 7}" y2="81" stroke="#DDE3EA" stroke-width="1"/>')
    for k in range(4):
        b += f'<rect x="{68 + 7 * k}" y="{84 + (k % 2) * 2}" width="4" height="8" rx="1" fill="#2E3A48"/>'
    b += "\n"
    # Keyboard deck seen from the front, with the USB socket on its right side.
    b += '<path d="M10,112 H150 L156,120 Q156,123 153,123 H7 Q4,123 4,120 Z" fill="url(#base)" stroke="#5E646C" stroke-width="0.8"/>'
    b += '<rect x="64" y="112" width="32" height="3" rx="1.5" fill="#7D838B"/>'
    b += '<rect x="150" y="113" width="6" height="5" rx="1" fill="#1A1C20"/>\n'
    svg("PC", 160, 164, b)


def connect(direction):
    # Cable from the computer's socket to the mixer's, through the status plate where the page
    # writes "Connected" or "Not Connected" (and blinks the caution symbol, left in the plate).
    ox, oy = CONNECT_AT
    lx, ly, lw, lh = CONNECTION_LABEL
    plate = (CAUTION_AT[0] - ox - 6, CAUTION_AT[1] - oy - 5, lx + lw - CAUTION_AT[0] + 14, 34)
    cable_y = ly + lh / 2 - oy + 1  # 95: the middle of the plate
    pc_socket_y = PC_AT[1] + 115.5 - oy
    b = vgrad("plate", [(0, "#DCDCDC"), (0.18, LABEL_PLATE), (1, LABEL_PLATE)])
    b = "<defs>" + b + "</defs>\n"
    cable = (f'M0,{pc_socket_y} H14 C28,{pc_socket_y} 22,{cable_y} 40,{cable_y} H203')
    b += f'<path d="{cable}" fill="none" stroke="#101215" stroke-width="7" stroke-linecap="round"/>'
    b += f'<path d="{cable}" fill="none" stroke="#4A5058" stroke-width="4.5" stroke-linecap="round"/>'
    b += f'<path d="{cable}" fill="none" stroke="#6E757E" stroke-width="1" stroke-linecap="round" transform="translate(0,-1)"/>\n'
    px, py, pw, ph = plate
    b += (f'<rect x="{px - 1}" y="{py - 1}" width="{pw + 2}" height="{ph + 2}" rx="8" fill="#8A8F96"/>'
          f'<rect x="{px}" y="{py}" width="{pw}" height="{ph}" rx="7" fill="url(#plate)"/>\n')
    # Direction of the audio, on the cable between the plate and the mixer: towards the mixer on
    # the input page, towards the computer on the output page.
    sign = 1 if direction == "IN" else -1
    for k in range(2):
        cx = px + pw + 13 + 6 * k
        b += (f'<path d="M{cx - 2.5 * sign},{cable_y - 3.5} L{cx + 1.5 * sign},{cable_y} L{cx - 2.5 * sign},{cable_y + 3.5}" '
              f'fill="none" stroke="#F2F2F2" stroke-width="1.4" stroke-linecap="round" stroke-linejoin="round"/>')
    b += "\n"
    svg("CONNECT_" + direction, 203, 164, b)


def centerline(name):
    # A groove from the tab strip to the bottom, open where the status plate sits.
    top = CONNECTION_LABEL[1] - CENTERLINE_AT[1] - 13
    bottom = CONNECTION_LABEL[1] + CONNECTION_LABEL[3] - CENTERLINE_AT[1] + 17
    b = ""
    for y0, y1 in ((6, top), (bottom, 454)):
        b += (f'<rect x="0" y="{y0}" width="1" height="{y1 - y0}" fill="#FFFFFF" fill-opacity="0.85"/>'
              f'<rect x="1" y="{y0}" width="1" height="{y1 - y0}" fill="#A4A8AE"/>'
              f'<rect x="2" y="{y0}" width="1" height="{y1 - y0}" fill="#FFFFFF" fill-opacity="0.85"/>\n')
    svg(name, 3, 460, b)


# ---------------------------------------------------------------- routes
def arrow_head(x_tip, y, direction, colour):
    s = 1 if direction > 0 else -1
    return (f'<path d="M{x_tip},{y} L{x_tip - 6 * s},{y - 4} L{x_tip - 6 * s},{y + 4} Z" fill="{colour}"/>')


def routing_point(x, y, colour):
    # The software's routing point: marks a route the DJ program may change.
    return (f'<circle cx="{x}" cy="{y}" r="4" fill="#FFFFFF" stroke="{colour}" stroke-width="1.6"/>'
            f'<circle cx="{x}" cy="{y}" r="1.4" fill="{colour}"/>')


def route_line(x0, x1, y, colour):
    return f'<rect x="{x0}" y="{y - 1}" width="{x1 - x0}" height="2" fill="{colour}"/>'


def route_pc(direction):
    # Computer side: a bus from the computer above down to a socket per row.
    bus_x = 78.5
    rows = [t - ROUTE_PC_AT[1] + ROW_LINE_OFFSET for t in ROW_TOPS]
    b = f'<rect x="{bus_x - 1}" y="0" width="2" height="{rows[-1]}" fill="{ROUTE_PC}"/>'
    for y in rows:
        b += route_line(bus_x, 116, y, ROUTE_PC)
        b += f'<circle cx="{bus_x}" cy="{y}" r="3" fill="{ROUTE_PC}"/>'
    # The socket's end where the mixer-side route begins.
    for y in rows:
        b += f'<rect x="{ROUTE_AI_AT[0] - ROUTE_PC_AT[0] - 4}" y="{y - 3.5}" width="4" height="7" rx="1" fill="{ROUTE_PC}"/>'
    svg("ROUTE_PC_%s_T2" % direction, 116, 144, b + "\n")


def route_ai(direction, qvr, colour, name):
    rows = [t - ROUTE_AI_AT[1] + ROW_LINE_OFFSET for t in ROW_TOPS]
    end = PAIR_LABEL_X - ROUTE_AI_AT[0] - 3  # stop short of the pair label
    middle = CENTERLINE_AT[0] + 1.5 - ROUTE_AI_AT[0]
    b = ""
    for y in rows:
        if direction == "IN":
            b += route_line(0, end - 5, y, colour) + arrow_head(end, y, +1, colour)
        else:
            b += route_line(5, end, y, colour) + arrow_head(0, y, -1, colour)
        if qvr:
            b += routing_point(middle, y, colour)
    svg(name, 160, 126, b + "\n")


def route_mixer(direction, width, qvr, colour, name):
    y = ROW_LINE_OFFSET
    b = ""
    if direction == "IN":
        b += route_line(0, width - 6, y, colour) + arrow_head(width, y, +1, colour)
    else:
        b += route_line(5, width, y, colour) + arrow_head(0, y, -1, colour)
    if qvr:
        b += routing_point(width / 2 + (1 if direction == "IN" else 2), y, colour)
    svg(name, width, 20, b + "\n")


def routes():
    for d in ("IN", "OUT"):
        route_pc(d)
        for qvr in (False, True):
            for tone, colour in (("GRAY", ROUTE_GRAY), ("BLUE", ROUTE_BLUE)):
                name = "ROUTE_AI_%s_%s%s_T2" % (d, "QVR_" if qvr else "", tone)
                route_ai(d, qvr, colour, name)
        width = 40 if d == "IN" else 26
        route_mixer(d, width, False, ROUTE_GRAY, "ROUTE_MIXER_%s_GRAY" % d)
        route_mixer(d, width, False, ROUTE_BLUE, "ROUTE_MIXER_%s_BLUE" % d)
        route_mixer(d, width, True, ROUTE_GRAY, "ROUTE_MIXER_%s_QVR_GRAY" % d)


# ---------------------------------------------------------------- tabs
# Tab pieces are 26 rows high and sit on the black title band. A selected tab is raised and
# its face runs into the page below; the others sit two rows lower and darker. Every face has
# a vertical gradient only, so any column of a middle piece equals the edge columns of the end
# pieces beside it.
TAB_ON_TOP = 1
TAB_OFF_TOP = 4
TAB_ON = [(0, "#FFFFFF"), (0.12, "#F6F6F6"), (1, PAGE)]
TAB_OFF = [(0, "#D3D6DA"), (0.15, "#BEC2C7"), (1, "#A3A8AE")]


def tab_face(ident, on):
    top = TAB_ON_TOP if on else TAB_OFF_TOP
    stops = TAB_ON if on else TAB_OFF
    inner = "".join(f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    return (f'<linearGradient id="{ident}" gradientUnits="userSpaceOnUse" x1="0" y1="{top}" x2="0" y2="26">'
            f'{inner}</linearGradient>')


def tab_side(on, side, x_top, ident):
    # One slanted side of a tab face; the face extends from the slant across to the piece
    # edge on the other side (and beyond the canvas, so the edge column is pure face).
    top = TAB_ON_TOP if on else TAB_OFF_TOP
    r = 4
    if side == "left":  # face to the right of the slant
        x_bottom = x_top - 5
        d = (f"M{x_bottom},26 L{x_top - 1.2},{top + r * 0.8} Q{x_top},{top} {x_top + r},{top} "
             f"H40 V26 Z")
    else:  # face to the left
        x_bottom = x_top + 5
        d = (f"M{x_bottom},26 L{x_top + 1.2},{top + r * 0.8} Q{x_top},{top} {x_top - r},{top} "
             f"H-20 V26 Z")
    if side == "left":
        rim = f"M{x_bottom},26 L{x_top - 1.2},{top + r * 0.8} Q{x_top},{top} {x_top + r},{top}"
    else:
        rim = f"M{x_bottom},26 L{x_top + 1.2},{top + r * 0.8} Q{x_top},{top} {x_top - r},{top}"
    # The rim keeps two neighbouring faces of the same kind apart where they overlap.
    rim_colour = "#FFFFFF" if on else "#6B7076"
    return (f'<path d="{d}" fill="url(#{ident})"/>'
            f'<path d="{rim}" fill="none" stroke="{rim_colour}" stroke-opacity="0.8" stroke-width="1"/>')


def tab_piece(name, parts, width=22):
    defs = tab_face("on", True) + tab_face("off", False)
    b = f"<defs>{defs}</defs>\n" + f'<rect width="{width}" height="26" fill="#000000"/>\n'
    for part in parts:
        b += part
    svg(name, width, 26, b + "\n")


def tabs():
    # Left end: the first tab's left side.
    for state in ("ON", "OFF"):
        on = state == "ON"
        tab_piece("TAB_L-END_" + state, [tab_side(on, "left", 15, "on" if on else "off")])
        # Right end: the last tab's right side.
        tab_piece("TAB_R-END_" + state, [tab_side(on, "right", 7, "on" if on else "off")])
        tab_piece("TAB_C_" + state, [f'<rect x="0" y="{TAB_ON_TOP if on else TAB_OFF_TOP}" width="2" '
                                     f'height="{26 - (TAB_ON_TOP if on else TAB_OFF_TOP)}" '
                                     f'fill="url(#{"on" if on else "off"})"/>'], width=2)
    # Joints between two tabs: the selected one is drawn last so it overlaps its neighbour.
    left_off = tab_side(False, "right", 7, "off")
    right_off = tab_side(False, "left", 15, "off")
    left_on = tab_side(True, "right", 7, "on")
    right_on = tab_side(True, "left", 15, "on")
    tab_piece("TAB_R_ON", [right_off, left_on])     # left tab selected
    tab_piece("TAB_L_ON", [left_off, right_on])     # right tab selected
    tab_piece("TAB_R_OFF", [right_off, left_off])
    tab_piece("TAB_L_OFF", [left_off, right_off])


# ---------------------------------------------------------------- buttons
BUTTONS = {
    # face gradient, border, top highlight
    "NORMAL": ([(0, "#4B5058"), (0.5, "#363A40"), (1, "#26292E")], "#15171A", "#6E747D"),
    "OVER": ([(0, "#3A86D6"), (0.5, "#2468B2"), (1, "#1B528F")], "#0F2F55", "#7DB4EC"),
    "ON": ([(0, "#FFC46B"), (0.5, "#FFA733"), (1, "#F08A10")], "#8A4A00", "#FFE2B0"),
}


def button_piece(name, state, part):
    stops, border, light = BUTTONS[state]
    inner = "".join(f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    defs = (f'<linearGradient id="face" gradientUnits="userSpaceOnUse" x1="0" y1="1" x2="0" y2="24">{inner}'
            f'</linearGradient>')
    w = 2 if part == "C" else 20
    b = f"<defs>{defs}</defs>\n" + f'<rect width="{w}" height="25" fill="{PAGE}"/>\n'
    # The button is one rounded rectangle from x 1 of the left piece to x 19 of the right one;
    # each piece shows its own part of it.
    if part == "L":
        x0, x1 = 1, 60
    elif part == "R":
        x0, x1 = -40, 19
    else:
        x0, x1 = -40, 60
    b += f'<rect x="{x0}" y="0.5" width="{x1 - x0}" height="24" rx="6" fill="{border}"/>'
    b += f'<rect x="{x0 + 1}" y="1.5" width="{x1 - x0 - 2}" height="22" rx="5" fill="url(#face)"/>'
    b += f'<rect x="{x0 + 4}" y="1.5" width="{x1 - x0 - 8}" height="1" fill="{light}" fill-opacity="0.7"/>\n'
    svg(name, w, 25, b)


def buttons():
    for state in BUTTONS:
        for part in ("L", "C", "R"):
            button_piece(f"BUTTON_{state}_{part}", state, part)


# ---------------------------------------------------------------- slider
def slider():
    # Knob positions: the knob's left edge is at client 312 + 6b for b = 1..30, the base at 321,
    # so block b sits at base x 6b - 4.5 (the knob's centre).
    b = vgrad("groove", [(0, "#1A1C20"), (1, "#4A4F57")])
    b = "<defs>" + b + "</defs>\n"
    b += '<rect x="0.5" y="19.5" width="176" height="5" rx="2.5" fill="url(#groove)" stroke="#8E939A" stroke-width="1"/>\n'
    major = {1, 4, 8, 16, 30}
    for blocks in range(1, 31):
        x = 6 * blocks - 4.5
        top = 7 if blocks in major else 12
        colour = "#3A3E45" if blocks in major else "#8C9197"
        b += f'<rect x="{x - 0.5}" y="{top}" width="1" height="{16 - top}" fill="{colour}"/>'
    b += "\n"
    svg("SLIDER_BASE", 177, 27, b)
    k = vgrad("knobface", [(0, "#F4F6F8"), (0.5, "#D5D9DE"), (1, "#A9AFB6")])
    k = "<defs>" + k + "</defs>\n"
    k += '<rect x="0.5" y="0.5" width="8" height="23" rx="2" fill="url(#knobface)" stroke="#4A4F57" stroke-width="1"/>'
    k += f'<rect x="4" y="4" width="1" height="16" fill="{ACCENT}"/>\n'
    svg("SLIDER_KNOB", 9, 24, k)


def l_line():
    # From under the caption's first letter down and across to the value's label.
    b = '<path d="M6.5,0 V10.5 H80" fill="none" stroke="#8A8F96" stroke-width="1"/>'
    b += '<circle cx="81" cy="10.5" r="1.6" fill="#8A8F96"/>\n'
    svg("L_LINE", 84, 16, b)


# ---------------------------------------------------------------- pulldown and popup
def pulldown(name, enabled):
    # The right end of a pulldown box: it takes over the box's black outline on the top,
    # right and bottom, so the box stays closed around it.
    b = vgrad("face", [(0, "#F2F3F5"), (1, "#C6CAD0")] if enabled else [(0, "#E6E6E6"), (1, "#D6D6D6")])
    b = "<defs>" + b + "</defs>\n"
    b += '<rect width="16" height="20" fill="#000000"/>'
    b += '<rect x="1" y="1" width="14" height="18" fill="url(#face)"/>'
    b += f'<rect x="1" y="1" width="1" height="18" fill="{"#9A9FA6" if enabled else "#C4C4C4"}"/>'
    colour = "#26292E" if enabled else "#A8A8A8"
    b += f'<path d="M4.5,8 H12.5 L8.5,13 Z" fill="{colour}"/>\n'
    svg(name, 16, 20, b)


def check(name, background, mark):
    b = f'<rect width="22" height="18" fill="{background}"/>'
    b += (f'<path d="M6,9.5 L9.5,13 L16,5.5" fill="none" stroke="{mark}" stroke-width="2.2" '
          f'stroke-linecap="round" stroke-linejoin="round"/>\n')
    svg(name, 22, 18, b)


# The popup shadow: a soft shadow cast by the panel. The pieces are cut from one shadow of a
# virtual window; their joins therefore match whatever length the middle pieces are stretched
# to. Window coordinates: the panel covers x 14..W-14 and y 0..H-19.
SHADOW_W, SHADOW_H = 300, 240


SHADOW_SIGMA = 3.5
SHADOW_ALPHA = 0.45
# The shadow is cast by the panel moved 3 pixels down, blurred (a Gaussian: separable, so
# every piece is a horizontal profile times a vertical one, written out as gradients).
SHADOW_CASTER = (14, 3, SHADOW_W - 14, SHADOW_H - 19 + 2)


def _phi(t):
    return 0.5 * math.erfc(-t / math.sqrt(2))


def shadow_profile(lo, hi, v):
    return _phi((v - lo) / SHADOW_SIGMA) * _phi((hi - v) / SHADOW_SIGMA)


def shadow_gradient(ident, start, length, lo, hi, horizontal, scale):
    stops = ""
    for i in range(length):
        value = scale * shadow_profile(lo, hi, start + i + 0.5)
        colour = "#000000" if scale != 1 else "#FFFFFF"
        stops += f'<stop offset="{(i + 0.5) / length:.4f}" stop-color="{colour}" stop-opacity="{value:.4f}"/>'
    if horizontal:
        geometry = f'x1="{start}" y1="0" x2="{start + length}" y2="0"'
    else:
        geometry = f'x1="0" y1="{start}" x2="0" y2="{start + length}"'
    return f'<linearGradient id="{ident}" gradientUnits="userSpaceOnUse" {geometry}>{stops}</linearGradient>'


def shadow_piece(name, x, y, w, h):
    left, top, right, bottom = SHADOW_CASTER
    defs = (shadow_gradient("across", x, w, left, right, True, SHADOW_ALPHA)
            + shadow_gradient("down", y, h, top, bottom, False, 1)
            + f'<mask id="fall" maskUnits="userSpaceOnUse" x="{x}" y="{y}" width="{w}" height="{h}">'
              f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="url(#down)"/></mask>')
    b = (f"<defs>{defs}</defs>\n"
         f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="url(#across)" mask="url(#fall)"/>\n')
    svg(name, w, h, b, view=f"{x} {y} {w} {h}")


def shadows():
    W, H, mid_x, mid_y = SHADOW_W, SHADOW_H, SHADOW_W // 2, SHADOW_H // 2
    shadow_piece("PLDWN_SHADOW_LU", 0, -8, 28, 25)
    shadow_piece("PLDWN_SHADOW_CU", mid_x, -6, 2, 25)
    shadow_piece("PLDWN_SHADOW_RU", W - 28, -8, 28, 25)
    shadow_piece("PLDWN_SHADOW_LC", 0, mid_y, 28, 2)
    shadow_piece("PLDWN_SHADOW_RC", W - 28, mid_y, 28, 2)
    shadow_piece("PLDWN_SHADOW_LD", 0, H - 28, 28, 28)
    shadow_piece("PLDWN_SHADOW_CD", mid_x, H - 28, 2, 28)
    shadow_piece("PLDWN_SHADOW_RD", W - 28, H - 28, 28, 28)


# ---------------------------------------------------------------- logo, icons, caution
def emblem(size):
    # The product's emblem: a dark rounded square with two channel faders and a cross-fader.
    s = size / 48.0
    b = ("<defs>" + vgrad("em", [(0, "#464B53"), (1, "#1E2125")])
         + vgrad("capg", [(0, "#F4F6F8"), (1, "#B9BEC5")]) + "</defs>\n")
    b += f'<g transform="scale({s})">'
    b += f'<rect x="1.5" y="1.5" width="45" height="45" rx="10" fill="url(#em)" stroke="{BODY_BEVEL}" stroke-width="1.5"/>'
    for cx, cap in ((16, 15), (32, 24)):
        b += f'<rect x="{cx - 2}" y="7" width="4" height="25" rx="2" fill="{SLOT}"/>'
        b += f'<rect x="{cx - 6}" y="{cap - 3.5}" width="12" height="7" rx="2" fill="url(#capg)"/>'
    b += f'<rect x="8" y="37" width="32" height="4" rx="2" fill="{SLOT}"/>'
    b += f'<rect x="20" y="33.5" width="8" height="11" rx="2" fill="{ACCENT}"/>'
    b += "</g>\n"
    return b


def logo():
    b = emblem(24).replace("<g transform", '<g transform="translate(8,3)"><g transform', 1)
    b = b.replace("</g>\n", "</g></g>\n", 1)
    b += (f'<text x="40" y="22.5" font-family="{FONT}" font-size="20" font-weight="bold" letter-spacing="0.5" '
          f'fill="#FFFFFF">RKX<tspan fill="{ACCENT}">-T2</tspan></text>\n')
    svg("LOGO", 150, 30, b)


def caution():
    b = ('<path d="M12,1.8 C12.9,1.8 13.5,2.3 14,3.1 L22.6,19.5 C23.3,20.9 22.5,22.3 20.9,22.3 H3.1 '
         'C1.5,22.3 0.7,20.9 1.4,19.5 L10,3.1 C10.5,2.3 11.1,1.8 12,1.8 Z" fill="#FFC21A" stroke="#3A2A00" stroke-width="1.2"/>'
         '<path d="M10.8,8 H13.2 L12.7,15.3 H11.3 Z" fill="#1E1A10"/><circle cx="12" cy="18.4" r="1.4" fill="#1E1A10"/>\n')
    svg("CAUTION", 24, 24, b)


def main():
    mixer()
    frames()
    input_selector()
    pc()
    connect("IN")
    connect("OUT")
    centerline("CENTERLINE_T2")
    centerline("CENTERLINE_OUT_T2")
    routes()
    tabs()
    buttons()
    slider()
    l_line()
    pulldown("PULLDOWN_ARROW", True)
    pulldown("PULLDOWN_ARROW_DIS", False)
    check("PLDWN_CHECK_NORMAL", PAGE, "#1E2125")
    check("PLDWN_CHECK_FOCUS", "#0A0A0A", "#F2F2F2")
    shadows()
    logo()
    caution()
    svg("TOOL-ICON", 48, 48, emblem(48))
    svg("app_icon", 48, 48, emblem(48))


if __name__ == "__main__":
    main()
