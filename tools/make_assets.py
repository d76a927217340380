#!/usr/bin/python3
"""Draws the fixed files of the installation's data/ folder and the readme.

Run from anywhere: /usr/bin/python3 tools/make_assets.py
Writes data/icon_a.bmp, data/icon_b.bmp, data/cible.bmp, data/vev.bmp,
data/grid.vec, data/border.vec and readme.txt (the readme sits in the
installation's root folder, beside data/). The output is deterministic.
"""

import math
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

ROOT = Path(__file__).resolve().parent.parent
DATA = ROOT / "data"

TILE = 16  # tile size of the toolbar image lists
SS = 4  # supersampling factor of the icon drawing
WHITE = (255, 255, 255)  # the transparent colour of an icon strip
EDGE_BACKGROUND = (216, 216, 216)  # what half-covered edge pixels are mixed with

FONT_DIR = Path("/usr/share/fonts/truetype")
FONT_SERIF_BOLD = FONT_DIR / "dejavu" / "DejaVuSerif-Bold.ttf"

# Image index of every control that shows a picture of the main window's
# toolbar lists (ImageList1 = icon_a.bmp, ImageList3 = icon_b.bmp, hot images).
# Indexes 6, 7, 23 and 27 are fixed by the dialogs that borrow them: the search
# dialog's two page tabs (6, 27), the point editor's level button (7) and the
# editable-database mark of the preferences dialog (23).
TOOLBAR_ICONS = {
    "but_stay": 0,  # push pin: window stays on top
    "but_autoup": 1,  # circular arrows: update check
    "but_tips": 2,  # light bulb: tips panel
    "but_gen": 3,  # landscape picture: map image generator
    "but_pref": 4,  # gear: preferences
    "but_info": 5,  # "i" in a blue disc: about box
    "infos2": 5,
    "ToolButton3": 6,  # magnifier: search
    "search1": 6,
    "search_dialog_tab_criteria": 6,  # search dialog, criteria page tab
    "point_editor_BitBtn1": 7,  # level bars: opens the player level page
    "but_sav": 8,  # floppy disk
    "sauver1": 8,
    "but_mail": 9,  # envelope: send the additions
    "but_liste1": 10,  # panel with sliders: zoom, level filter, regions page
    "but_liste3": 11,  # bulleted list: search results page
    "but_liste4": 12,  # tree: points tree page
    "But_Leg": 13,  # label tag: legend labels
    "but_chemin": 14,  # dotted trail between two ends: paths
    "but_stitre": 15,  # "T" on a dark card: sub-titles
    "but_overview": 16,  # linked nodes: link lines
    "site1": 17,  # globe: web links
    "zoom_in": 18,  # magnifier with plus (spare: no zoom button yet)
    "zoom_out": 19,  # magnifier with minus (spare)
    "waypoint1": 20,  # flag: add a waypoint
    "wpdefaire1": 21,  # flag with an undo arrow: remove the last waypoint
    "credit1": 22,  # star: credits
    "but_editmode": 23,  # pencil: edit mode
    "prefs_dbTree_editable": 23,  # preferences dialog: mark of the editable database
    "Modif1": 23,
    "Modif2": 23,
    "Image1": 24,  # database cylinder: database menu
    "region1": 25,  # outlined area: region
    "ajouter1": 26,  # map marker with plus: add a point
    "search_dialog_tab_options": 27,  # ticked check box: search options page
    "Copiernode1": 28,  # two sheets: copy
    "Copier1": 28,
    "coupernode1": 29,  # scissors: cut
    "Couper1": 29,
    "Couper2": 29,
}

# Colours.
INK = (40, 40, 52)
BLUE = (40, 96, 200)
BLUE_LIGHT = (130, 180, 240)
BLUE_DARK = (20, 50, 120)
RED = (210, 40, 40)
RED_DARK = (130, 20, 20)
GREEN = (40, 160, 60)
GREEN_DARK = (20, 90, 30)
YELLOW = (250, 210, 40)
ORANGE = (235, 140, 30)
GREY = (140, 140, 150)
GREY_LIGHT = (200, 200, 208)
GREY_DARK = (80, 80, 90)
PAPER = (250, 248, 236)
BROWN = (140, 90, 40)
SKY = (150, 205, 250)


class Icon:
    """One 16 x 16 icon, drawn at SS times its size on a transparent canvas.

    Coordinates are in icon pixels: (x, y) is the top-left corner of pixel
    (x, y); a one-pixel line through the middle of pixel column x uses x + 0.5.
    """

    def __init__(self):
        self.image = Image.new("RGBA", (TILE * SS, TILE * SS), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def _p(x, y):
        return (x * SS, y * SS)

    def rect(self, x0, y0, x1, y1, fill=None, outline=None):
        """Pixels x0..x1-1, y0..y1-1, with an optional one-pixel border."""
        box = [x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1]
        self.draw.rectangle(box, fill=fill, outline=outline, width=SS if outline else 0)

    def ellipse(self, x0, y0, x1, y1, fill=None, outline=None, width=1.0):
        box = [x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1]
        self.draw.ellipse(box, fill=fill, outline=outline, width=round(width * SS) if outline else 0)

    def polygon(self, points, fill=None, outline=None, width=1.0):
        pts = [self._p(x, y) for x, y in points]
        if fill:
            self.draw.polygon(pts, fill=fill)
        if outline:
            self.draw.line(pts + [pts[0]], fill=outline, width=round(width * SS), joint="curve")

    def line(self, points, colour, width=1.0):
        pts = [self._p(x, y) for x, y in points]
        self.draw.line(pts, fill=colour, width=round(width * SS), joint="curve")

    def arc(self, cx, cy, r, start, end, colour, width=1.0):
        box = [(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS]
        self.draw.arc(box, start, end, fill=colour, width=round(width * SS))

    def tile(self):
        """Downsamples to 16 x 16 RGB: covered pixels keep their colour, the rest is white."""
        small = self.image.resize((TILE, TILE), Image.BOX)
        out = Image.new("RGB", (TILE, TILE), WHITE)
        for y in range(TILE):
            for x in range(TILE):
                r, g, b, a = small.getpixel((x, y))
                if a < 96:
                    continue
                k = a / 255.0
                c = tuple(round(v * k + bg * (1 - k)) for v, bg in zip((r, g, b), EDGE_BACKGROUND))
                out.putpixel((x, y), opaque(c))
        return out


def opaque(c):
    """A drawn pixel must never be pure white, which would make it transparent."""
    return (254, 254, 254) if c == WHITE else c


# ---------------------------------------------------------------- the icons


def magnifier(ic, glass=(4.5, 4.5, 5.0)):
    cx, cy, r = glass
    ic.line([(cx + r * 0.6, cy + r * 0.6), (14.2, 14.2)], BROWN, 2.6)
    ic.ellipse(cx - r, cy - r, cx + r, cy + r, fill=BLUE_LIGHT, outline=INK, width=1.3)


def icon_pin(ic):
    ic.rect(7, 10, 9, 16, fill=GREY_DARK)  # needle
    ic.rect(3, 8, 13, 10, fill=RED_DARK)  # base
    ic.polygon([(5.5, 3), (10.5, 3), (11.5, 8), (4.5, 8)], fill=RED)
    ic.rect(4, 0, 12, 3, fill=RED, outline=RED_DARK)  # cap
    ic.rect(6, 3, 7, 8, fill=(250, 140, 140))  # shine


def icon_update(ic):
    ic.arc(8, 8, 5.5, 200, 340, GREEN_DARK, 2.2)
    ic.arc(8, 8, 5.5, 20, 160, GREEN_DARK, 2.2)
    ic.polygon([(11.5, 1.0), (15.5, 5.5), (10.0, 6.5)], fill=GREEN_DARK)  # head of the upper arrow
    ic.polygon([(4.5, 15.0), (0.5, 10.5), (6.0, 9.5)], fill=GREEN_DARK)  # head of the lower arrow


def icon_bulb(ic):
    ic.ellipse(3, 0.5, 13, 10.5, fill=YELLOW, outline=ORANGE)
    ic.polygon([(5.5, 8), (10.5, 8), (10, 11), (6, 11)], fill=YELLOW)
    ic.line([(6.5, 6.5), (8, 8.5), (9.5, 6.5)], ORANGE, 0.8)  # filament
    ic.rect(6, 11, 10, 15, fill=GREY, outline=GREY_DARK)
    ic.rect(7, 15, 9, 16, fill=GREY_DARK)
    ic.rect(4, 2, 6, 4, fill=(255, 245, 190))  # shine


def icon_landscape(ic):
    ic.rect(0, 2, 16, 14, fill=SKY, outline=INK)
    ic.ellipse(10.5, 3.5, 14, 7, fill=YELLOW)
    ic.polygon([(1, 13), (6, 5.5), (10, 10), (11.5, 8.5), (15, 13)], fill=BROWN)
    ic.polygon([(6, 5.5), (4.6, 7.6), (6, 7.0), (7.3, 7.5)], fill=(250, 250, 250))  # snow cap
    ic.rect(1, 11, 15, 13, fill=GREEN)


def icon_gear(ic):
    c = 8.0
    teeth = 8
    for k in range(teeth):
        a = 2 * math.pi * k / teeth + math.pi / 8
        pts = []
        for da, r in ((-0.30, 5.0), (-0.20, 7.8), (0.20, 7.8), (0.30, 5.0)):
            pts.append((c + r * math.cos(a + da), c + r * math.sin(a + da)))
        ic.polygon(pts, fill=GREY_DARK)
    ic.ellipse(2, 2, 14, 14, fill=GREY_DARK)
    ic.ellipse(3, 3, 13, 13, fill=GREY)
    ic.ellipse(5, 5, 11, 11, fill=GREY_DARK)
    ic.ellipse(6, 6, 10, 10, fill=(0, 0, 0, 0))


def icon_info(ic):
    ic.ellipse(0, 0, 16, 16, fill=BLUE, outline=BLUE_DARK)
    ic.rect(7, 3, 9, 5, fill=PAPER)
    ic.rect(7, 6, 9, 12, fill=PAPER)
    ic.rect(6, 6, 7, 7, fill=PAPER)
    ic.rect(6, 12, 10, 13, fill=PAPER)


def icon_search(ic):
    magnifier(ic, (6.0, 6.0, 5.0))
    ic.ellipse(3.0, 3.0, 6.0, 6.0, fill=(235, 245, 255))  # glint


def icon_levels(ic):
    ic.rect(1, 10, 5, 15, fill=GREEN, outline=GREEN_DARK)
    ic.rect(6, 6, 10, 15, fill=YELLOW, outline=ORANGE)
    ic.rect(11, 1, 15, 15, fill=RED, outline=RED_DARK)
    ic.rect(0, 15, 16, 16, fill=INK)


def icon_floppy(ic):
    ic.polygon([(0.5, 0.5), (13.0, 0.5), (15.5, 3.0), (15.5, 15.5), (0.5, 15.5)], fill=BLUE, outline=BLUE_DARK)
    ic.rect(4, 1, 12, 6, fill=GREY_LIGHT)  # shutter
    ic.rect(9, 2, 11, 5, fill=BLUE_DARK)
    ic.rect(3, 9, 13, 15, fill=PAPER)  # label
    ic.rect(4, 11, 12, 12, fill=GREY_LIGHT)
    ic.rect(4, 13, 12, 14, fill=GREY_LIGHT)


def icon_envelope(ic):
    ic.rect(0, 3, 16, 14, fill=PAPER, outline=INK)
    ic.line([(0.5, 3.5), (8, 9.5), (15.5, 3.5)], INK, 1.0)
    ic.line([(0.5, 13.5), (6, 8.2)], GREY, 0.8)
    ic.line([(15.5, 13.5), (10, 8.2)], GREY, 0.8)


def panel(ic):
    ic.rect(1, 1, 15, 15, fill=PAPER, outline=INK)
    ic.rect(2, 2, 14, 4, fill=BLUE)


def icon_list_sliders(ic):
    panel(ic)
    for y in (6, 10):
        ic.rect(3, y + 1, 13, y + 2, fill=GREY_DARK)
    ic.rect(8, 6, 10, 9, fill=RED, outline=RED_DARK)
    ic.rect(4, 10, 6, 13, fill=GREEN, outline=GREEN_DARK)


def icon_list_results(ic):
    panel(ic)
    for y in (6, 9, 12):
        ic.rect(3, y - 1, 5, y + 1, fill=ORANGE)
        ic.rect(6, y, 13, y + 1, fill=GREY_DARK)


def icon_list_tree(ic):
    panel(ic)
    ic.rect(3, 5, 6, 8, fill=YELLOW, outline=ORANGE)
    ic.rect(4, 8, 5, 13, fill=GREY_DARK)
    ic.rect(5, 9, 8, 10, fill=GREY_DARK)
    ic.rect(5, 12, 8, 13, fill=GREY_DARK)
    ic.rect(8, 8, 11, 11, fill=GREEN, outline=GREEN_DARK)
    ic.rect(8, 11, 11, 14, fill=RED, outline=RED_DARK)
    ic.rect(7, 6, 13, 7, fill=GREY)


def icon_label(ic):
    pts = [(0.8, 8.0), (5.5, 3.0), (15.2, 3.0), (15.2, 13.0), (5.5, 13.0)]
    ic.polygon(pts, fill=YELLOW, outline=ORANGE, width=1.0)
    ic.ellipse(3.5, 6.5, 6.5, 9.5, fill=ORANGE)  # eyelet
    ic.line([(8.3, 12.5), (11.0, 4.0), (13.7, 12.5)], INK, 1.4)
    ic.line([(9.5, 9.5), (12.5, 9.5)], INK, 1.2)


def icon_path(ic):
    # A winding trail of square dots between a green start and a red end.
    for x, y in ((3, 10), (5, 7), (8, 7), (10, 10), (13, 9)):
        ic.rect(x - 1, y - 1, x + 1, y + 1, fill=(110, 64, 24))
    ic.ellipse(0, 11, 5, 16, fill=GREEN, outline=GREEN_DARK)
    ic.ellipse(11, 2, 16, 7, fill=RED, outline=RED_DARK)


def polyline_length(pts):
    return sum(math.dist(a, b) for a, b in zip(pts, pts[1:]))


def polyline_at(pts, t):
    """The point at fraction t of the length of a polyline."""
    target = t * polyline_length(pts)
    for a, b in zip(pts, pts[1:]):
        n = math.dist(a, b)
        if target <= n:
            f = target / n if n else 0.0
            return (a[0] + (b[0] - a[0]) * f, a[1] + (b[1] - a[1]) * f)
        target -= n
    return pts[-1]


def icon_subtitles(ic):
    ic.rect(0, 1, 16, 15, fill=GREY_DARK, outline=INK)
    ic.rect(3, 3, 13, 5, fill=PAPER)
    ic.rect(7, 5, 9, 11, fill=PAPER)
    ic.rect(3, 12, 13, 13, fill=YELLOW)


def icon_links(ic):
    a, b, c = (3.5, 12.5), (12.5, 11.5), (8.0, 3.5)
    ic.line([a, c, b, a], BLUE, 1.2)
    for x, y in (a, b, c):
        ic.ellipse(x - 2.5, y - 2.5, x + 2.5, y + 2.5, fill=ORANGE, outline=INK)


def icon_globe(ic):
    ic.ellipse(0.5, 0.5, 15.5, 15.5, fill=BLUE)
    ic.polygon([(4, 3), (8, 2.5), (8, 6), (6, 8), (6.5, 11), (4, 12), (2.5, 8)], fill=GREEN)
    ic.polygon([(10, 5), (13.5, 6), (13, 10), (10.5, 12.5), (9.5, 9)], fill=GREEN)
    ic.ellipse(4.5, 0.5, 11.5, 15.5, outline=BLUE_LIGHT, width=0.8)
    ic.line([(1, 8), (15, 8)], BLUE_LIGHT, 0.8)
    ic.ellipse(0.5, 0.5, 15.5, 15.5, outline=BLUE_DARK, width=1.0)


def icon_zoom(ic, plus):
    magnifier(ic, (6.0, 6.0, 5.0))
    ic.rect(3, 5, 9, 7, fill=INK)
    if plus:
        ic.rect(5, 3, 7, 9, fill=INK)


def flag(ic, colour, dark, small=False):
    if small:
        ic.rect(1, 1, 3, 16, fill=GREY_DARK)
        ic.polygon([(3, 1.5), (11.5, 1.5), (9, 4.5), (11.5, 7.5), (3, 7.5)], fill=colour, outline=dark, width=0.8)
    else:
        ic.rect(2, 1, 4, 16, fill=GREY_DARK)
        ic.polygon([(4, 1.5), (14.5, 1.5), (11.5, 5), (14.5, 8.5), (4, 8.5)], fill=colour, outline=dark, width=0.8)


def icon_flag(ic):
    flag(ic, RED, RED_DARK)


def icon_flag_undo(ic):
    flag(ic, RED, RED_DARK, small=True)
    ic.arc(11.5, 13.0, 3.5, 180, 360, BLUE_DARK, 1.6)
    ic.polygon([(5.6, 12.0), (10.4, 12.0), (8.0, 15.8)], fill=BLUE_DARK)


def icon_star(ic):
    pts = []
    for k in range(10):
        r = 7.6 if k % 2 == 0 else 3.2
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((8 + r * math.cos(a), 8.6 + r * math.sin(a)))
    ic.polygon(pts, fill=YELLOW, outline=ORANGE, width=1.0)


def icon_pencil(ic):
    # Drawn along the diagonal from the bottom-left tip to the top-right end.
    def along(t, s):  # t along the pencil, s across it
        ux, uy = 1 / math.sqrt(2), -1 / math.sqrt(2)
        return (1.2 + ux * t - uy * s, 14.8 + uy * t + ux * s)

    w = 2.6
    ic.polygon([along(4, -w), along(16.5, -w), along(16.5, w), along(4, w)], fill=YELLOW, outline=INK, width=0.9)
    ic.polygon([along(14, -w), along(16.5, -w), along(16.5, w), along(14, w)], fill=(240, 120, 150))
    ic.polygon([along(0, 0), along(4, -w), along(4, w)], fill=(235, 205, 160), outline=INK, width=0.9)
    ic.polygon([along(0, 0), along(1.6, -1.1), along(1.6, 1.1)], fill=INK)


def icon_database(ic):
    ic.rect(2, 3, 14, 13, fill=ORANGE)
    ic.ellipse(2, 10, 14, 15, fill=ORANGE, outline=INK)
    ic.rect(3, 3, 13, 12, fill=ORANGE)
    ic.rect(2, 3, 3, 13, fill=INK)
    ic.rect(13, 3, 14, 13, fill=INK)
    ic.arc(8, 7.5, 6, 10, 170, BROWN, 0.8)
    ic.ellipse(2, 1, 14, 6, fill=YELLOW, outline=INK)


def icon_region(ic):
    pts = [(1.5, 5.5), (7.5, 1.5), (14.5, 4.5), (13.5, 12.5), (5.5, 14.5)]
    ic.polygon(pts, fill=(170, 225, 160))
    ic.polygon(pts, outline=GREEN_DARK, width=1.0)
    for x, y in pts:
        ic.rect(round(x - 1), round(y - 1), round(x + 1), round(y + 1), fill=RED)


def icon_add_point(ic):
    ic.ellipse(1, 0.5, 11, 10.5, fill=RED, outline=RED_DARK)
    ic.polygon([(2, 7), (10, 7), (6, 15)], fill=RED)
    ic.line([(1.8, 7.2), (6, 15)], RED_DARK, 0.9)
    ic.line([(10.2, 7.2), (6, 15)], RED_DARK, 0.9)
    ic.ellipse(4, 3.5, 8, 7.5, fill=PAPER)
    ic.rect(12, 8, 14, 16, fill=GREEN_DARK)
    ic.rect(9, 11, 16, 13, fill=GREEN_DARK)


def icon_options(ic):
    ic.rect(0, 2, 12, 14, fill=PAPER, outline=INK)
    ic.line([(2.5, 7.5), (5.5, 11), (14.5, 0.8)], GREEN, 2.2)


def sheet(ic, x, y):
    ic.polygon([(x, y), (x + 6.5, y), (x + 9, y + 2.5), (x + 9, y + 11), (x, y + 11)], fill=PAPER, outline=INK)
    for k in range(3):
        ic.rect(x + 2, y + 4 + 2 * k, x + 7, y + 5 + 2 * k, fill=GREY)


def icon_copy(ic):
    sheet(ic, 1.5, 1.5)
    sheet(ic, 6.5, 4.5)


def icon_cut(ic):
    ic.line([(4, 0.8), (10.5, 11)], GREY_DARK, 1.4)
    ic.line([(12, 0.8), (5.5, 11)], GREY_DARK, 1.4)
    ic.ellipse(0.5, 9.5, 6.5, 15.5, outline=RED, width=1.6)
    ic.ellipse(9.5, 9.5, 15.5, 15.5, outline=RED, width=1.6)


ICONS = [
    icon_pin,  # 0
    icon_update,  # 1
    icon_bulb,  # 2
    icon_landscape,  # 3
    icon_gear,  # 4
    icon_info,  # 5
    icon_search,  # 6
    icon_levels,  # 7
    icon_floppy,  # 8
    icon_envelope,  # 9
    icon_list_sliders,  # 10
    icon_list_results,  # 11
    icon_list_tree,  # 12
    icon_label,  # 13
    icon_path,  # 14
    icon_subtitles,  # 15
    icon_links,  # 16
    icon_globe,  # 17
    lambda ic: icon_zoom(ic, True),  # 18
    lambda ic: icon_zoom(ic, False),  # 19
    icon_flag,  # 20
    icon_flag_undo,  # 21
    icon_star,  # 22
    icon_pencil,  # 23
    icon_database,  # 24
    icon_region,  # 25
    icon_add_point,  # 26
    icon_options,  # 27
    icon_copy,  # 28
    icon_cut,  # 29
]


def highlight(c):
    """The hot look: a little lighter and warmer; white stays transparent."""
    if c == WHITE:
        return c
    r, g, b = (v + (255 - v) * 0.28 for v in c)
    return opaque((min(255, round(r + 6)), min(255, round(g + 4)), round(b)))


def make_strips():
    tiles = []
    for draw in ICONS:
        ic = Icon()
        draw(ic)
        tiles.append(ic.tile())
    normal = Image.new("RGB", (TILE * len(tiles), TILE), WHITE)
    for i, t in enumerate(tiles):
        normal.paste(t, (i * TILE, 0))
    hot = Image.new("RGB", normal.size)
    hot.putdata([highlight(c) for c in normal.getdata()])
    return normal, hot


# ---------------------------------------------------------------- target marker


def make_target():
    """32 x 32 grey picture on black: a ring, four ticks and a centre dot around pixel (16, 16)."""
    size, k = 32, 8
    big = Image.new("L", (size * k, size * k), 0)
    d = ImageDraw.Draw(big)
    c = 16.5 * k  # middle of pixel 16

    def circle(r, width=None):
        box = [c - r * k, c - r * k, c + r * k, c + r * k]
        if width is None:
            d.ellipse(box, fill=255)
        else:
            d.ellipse(box, outline=255, width=round(width * k))

    circle(10.5, 2.0)
    circle(1.6)
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        for r0, r1 in ((4.0, 8.0), (12.5, 15.5)):
            x0, y0 = c + dx * r0 * k, c + dy * r0 * k
            x1, y1 = c + dx * r1 * k, c + dy * r1 * k
            h = 0.5 * k
            d.rectangle([min(x0, x1) - h * (dx == 0), min(y0, y1) - h * (dy == 0),
                         max(x0, x1) + h * (dx == 0) - 1, max(y0, y1) + h * (dy == 0) - 1], fill=255)
    small = big.resize((size, size), Image.BOX)
    return small.convert("RGB")


# ---------------------------------------------------------------- splash picture


def make_splash():
    """183 x 113: a compass rose on a parchment map beside the title."""
    w, h, k = 183, 113, 4
    im = Image.new("RGB", (w * k, h * k))
    d = ImageDraw.Draw(im)

    # Night-blue background with a faint map grid.
    for y in range(h * k):
        t = y / (h * k)
        d.line([(0, y), (w * k, y)], fill=(round(14 + 10 * t), round(24 + 14 * t), round(48 + 20 * t)))
    for gx in range(0, w * k, 12 * k):
        d.line([(gx, 0), (gx, h * k)], fill=(36, 54, 86), width=k // 2)
    for gy in range(0, h * k, 12 * k):
        d.line([(0, gy), (w * k, gy)], fill=(36, 54, 86), width=k // 2)

    # Compass rose on a parchment disc.
    cx, cy, r = 47 * k, 56.5 * k, 43 * k
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(232, 214, 170), outline=(120, 84, 40), width=2 * k)
    d.ellipse([cx - r + 6 * k, cy - r + 6 * k, cx + r - 6 * k, cy + r - 6 * k], outline=(150, 110, 60), width=k)
    for i in range(32):
        a = 2 * math.pi * i / 32
        r0 = r - (6 if i % 4 == 0 else 4) * k
        d.line([(cx + r0 * math.cos(a), cy + r0 * math.sin(a)),
                (cx + (r - 2 * k) * math.cos(a), cy + (r - 2 * k) * math.sin(a))],
               fill=(120, 84, 40), width=k // 2 + 1)

    def point(angle, length, half, light, dark):
        a = math.radians(angle - 90)
        tip = (cx + length * math.cos(a), cy + length * math.sin(a))
        left = (cx + half * math.cos(a - math.pi / 2), cy + half * math.sin(a - math.pi / 2))
        right = (cx + half * math.cos(a + math.pi / 2), cy + half * math.sin(a + math.pi / 2))
        d.polygon([(cx, cy), left, tip], fill=light)
        d.polygon([(cx, cy), tip, right], fill=dark)

    for ang in (45, 135, 225, 315):
        point(ang, 19 * k, 4.5 * k, (190, 160, 110), (110, 80, 45))
    for ang in (90, 180, 270):
        point(ang, 27 * k, 6 * k, (250, 244, 228), (60, 60, 70))
    point(0, 27 * k, 6 * k, (236, 70, 60), (150, 24, 24))
    d.ellipse([cx - 3 * k, cy - 3 * k, cx + 3 * k, cy + 3 * k], fill=(240, 200, 80), outline=(110, 80, 40), width=k)
    font_n = ImageFont.truetype(str(FONT_SERIF_BOLD), 8 * k)
    d.text((cx, cy - r + 10 * k), "N", fill=(150, 24, 24), font=font_n, anchor="mm")

    # Title, and a dotted route ending on a marker.
    gold, shade = (246, 214, 120), (8, 12, 24)
    font_title = ImageFont.truetype(str(FONT_SERIF_BOLD), 19 * k)
    for text, y in (("Vev", 34 * k), ("Karvelo", 58 * k)):
        x = 137.5 * k
        d.text((x + k, y + k), text, fill=shade, font=font_title, anchor="mm")
        d.text((x, y), text, fill=gold, font=font_title, anchor="mm")
    route = [(102 * k, 96 * k), (117 * k, 88 * k), (134 * k, 95 * k), (151 * k, 84 * k), (168 * k, 89 * k)]
    for i in range(40):
        if i % 2:
            continue
        d.line([polyline_at(route, i / 40), polyline_at(route, (i + 1) / 40)], fill=(200, 220, 255), width=k + 2)
    ex, ey = route[-1]
    d.ellipse([ex - 3 * k, ey - 3 * k, ex + 3 * k, ey + 3 * k], fill=(236, 70, 60), outline=(250, 244, 228), width=k)
    return im.resize((w, h), Image.LANCZOS)


# ---------------------------------------------------------------- vector files


def vec_bytes(polylines):
    """u16 point count, then (u16 x, u16 y) pairs; x to the right, y upwards."""
    out = bytearray()
    for pts in polylines:
        out += struct.pack("<H", len(pts))
        for x, y in pts:
            out += struct.pack("<HH", x, y)
    return bytes(out)


def grid_lines(divisions=10):
    """The inner lines of a grid over one zone, every 1/divisions of its side."""
    lines = []
    for i in range(1, divisions):
        v = round(i * 65535 / divisions)
        lines.append([(v, 0), (v, 65535)])
    for i in range(1, divisions):
        v = round(i * 65535 / divisions)
        lines.append([(0, v), (65535, v)])
    return lines


def border_lines():
    """The outline of one zone, one closed polyline."""
    return [[(0, 0), (65535, 0), (65535, 65535), (0, 65535), (0, 0)]]


# ---------------------------------------------------------------- readme

README = """Vev Karvelo v1.06 - lisez-moi / readme
======================================
Vev Karvelo
Compagnon cartographique pour le jeu de rôle en ligne.

--- Français ---
Vev Karvelo affiche les cartes des zones du jeu avec les points d'intérêt
d'une base de données : lieux, personnages, ressources, chemins et régions,
classés par catégorie et par niveau.

Premiers pas
- Au premier lancement, choisissez la langue de l'interface et la base de
  données. Les préférences permettent d'en changer plus tard.
- Choisissez une zone dans l'arbre des points (F4) ou dans la liste des
  régions (F1) ; les résultats de recherche sont sur la page F3.
- Faites glisser la carte avec le bouton gauche. La molette ou les touches
  + et - changent le zoom ; un double clic (ou z) agrandit la zone visée.
- Ctrl+F ouvre la recherche. Échap efface la sélection.
- Les touches l, s et h affichent les noms, les sous-titres et les astuces.
- Le bouton de génération construit les images des zones à partir des
  archives du jeu (dossier maps).

Vos ajouts
- Activez le mode édition pour ajouter ou modifier des points (Maj + clic
  sur la carte). Vos ajouts sont enregistrés avec Ctrl+S dans le dossier
  ajouts ; le bouton d'envoi les transmet aux auteurs de la base.
- La mise à jour télécharge les nouvelles versions des fichiers.

--- English ---
Vev Karvelo shows the game's zone maps with the points of interest of a
map database: places, characters, resources, paths and regions, sorted by
category and level.

Getting started
- On the first start, choose the interface language and the database.
  The preferences let you change them later.
- Pick a zone in the points tree (F4) or in the region list (F1); search
  results are on page F3.
- Drag the map with the left mouse button. The wheel or the + and - keys
  zoom; a double click (or z) zooms into the zone under the mouse.
- Ctrl+F opens the search. Esc clears the selection.
- The keys l, s and h show the labels, the sub-titles and the tips.
- The generator button builds the zone images from the game's archives
  (folder maps).

Your additions
- Turn edit mode on to add or change points (Shift + click on the map).
  Ctrl+S saves your additions in the folder ajouts; the send button passes
  them on to the database's authors.
- The update downloads new versions of the files.
"""


def readme_bytes():
    return README.replace("\n", "\r\n").encode("cp1252")


# ---------------------------------------------------------------- main


def main():
    assert max(TOOLBAR_ICONS.values()) < len(ICONS)
    DATA.mkdir(exist_ok=True)
    normal, hot = make_strips()
    normal.save(DATA / "icon_a.bmp")
    hot.save(DATA / "icon_b.bmp")
    make_target().save(DATA / "cible.bmp")
    make_splash().save(DATA / "vev.bmp")
    (DATA / "grid.vec").write_bytes(vec_bytes(grid_lines()))
    (DATA / "border.vec").write_bytes(vec_bytes(border_lines()))
    (ROOT / "readme.txt").write_bytes(readme_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())
