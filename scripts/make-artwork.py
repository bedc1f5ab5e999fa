#!/usr/bin/env python3
"""Draws the toolkit's stock images and the memo pad's icon and writes them as
XPM data in C++ source: toolkit/support/res_images.cpp and app/res_images.cpp.

Every picture is drawn here with a few primitives (rectangles, lines, filled
polygons and discs) and two small hand-made pixel fonts, so the artwork can
be changed and regenerated:  scripts/make-artwork.py [--png DIR]
(--png also writes each picture, enlarged, as a PNG through ImageMagick to
look at).
"""
import math
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# ---------------------------------------------------------------- canvas


class Canvas:
    """A picture of colour keys; None is transparent."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x] if 0 <= x < self.w and 0 <= y < self.h else None

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def hline(self, x0, x1, y, c):
        self.rect(min(x0, x1), y, max(x0, x1), y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, min(y0, y1), x, max(y0, y1), c)

    def line(self, x0, y0, x1, y1, c, width=1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            x = round(x0 + (x1 - x0) * i / n)
            y = round(y0 + (y1 - y0) * i / n)
            self.rect(x, y, x + width - 1, y + width - 1, c)

    def polygon(self, pts, c):
        """Fills the pixels whose centres lie inside the polygon."""
        for y in range(self.h):
            cy = y + 0.5
            xs = []
            for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
                if (ay <= cy < by) or (by <= cy < ay):
                    xs.append(ax + (cy - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(self.w):
                    if a <= x + 0.5 <= b:
                        self.put(x, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if math.hypot(x + 0.5 - cx, y + 0.5 - cy) <= r:
                    self.put(x, y, c)

    def ring_shade(self, cx, cy, r, light, dark, edge):
        """Shades a disc: a light upper-left rim, a dark lower-right rim and
        an outline."""
        for y in range(self.h):
            for x in range(self.w):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if d > r:
                    continue
                if d > r - 1.1:
                    self.put(x, y, edge)
                elif d > r - 2.2:
                    side = (x + 0.5 - cx) + (y + 0.5 - cy)
                    if side < -r * 0.5:
                        self.put(x, y, light)
                    elif side > r * 0.5:
                        self.put(x, y, dark)

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                if other.px[y][x] is not None:
                    self.put(ox + x, oy + y, other.px[y][x])

    def rotated(self):
        """A copy turned a quarter clockwise."""
        out = Canvas(self.h, self.w)
        for y in range(self.h):
            for x in range(self.w):
                out.px[x][self.h - 1 - y] = self.px[y][x]
        return out

    def flipped(self):
        """A copy turned upside down."""
        out = Canvas(self.w, self.h)
        out.px = [row[:] for row in reversed(self.px)]
        return out

    def mirrored(self):
        out = Canvas(self.w, self.h)
        out.px = [row[::-1] for row in self.px]
        return out

    def shadow(self, colour, dx=1, dy=1):
        """Puts colour under every transparent pixel that an opaque one
        covers when shifted by (dx, dy)."""
        src = [row[:] for row in self.px]
        for y in range(self.h):
            for x in range(self.w):
                sx, sy = x - dx, y - dy
                if src[y][x] is None and 0 <= sx < self.w and 0 <= sy < self.h and src[sy][sx] is not None:
                    self.px[y][x] = colour


# ---------------------------------------------------------------- fonts

# 5 x 7 font (lower-case letters may use two rows below the baseline).
SMALL = {
    'A': [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    'I': ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'Q': [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    'W': ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    'a': [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    'e': [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    'f': ["..##", ".#..", ".#..", "###.", ".#..", ".#..", ".#.."],
    'g': [".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."],
    'i': [".#.", "...", "##.", ".#.", ".#.", ".#.", "###"],
    'm': [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    'n': [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    'o': [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    'r': [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    's': [".....", ".....", ".####", "#....", ".###.", "....#", "####."],
    't': [".#..", ".#..", "####", ".#..", ".#..", ".#.#", "..#."],
    'u': [".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"],
}

# Bold 11-row font of the logo.
LOGO = {
    'K': ["##....##.", "##...##..", "##..##...", "##.##....", "####.....", "#####....",
          "##.###...", "##..###..", "##...###.", "##....###", "##.....##"],
    'o': ["........", "........", "........", ".######.", "##....##", "##....##", "##....##",
          "##....##", "##....##", "##....##", ".######."],
    'r': [".......", ".......", ".......", "##.####", "####..#", "###....", "##.....",
          "##.....", "##.....", "##.....", "##....."],
    'i': ["##", "##", "..", "##", "##", "##", "##", "##", "##", "##", "##"],
    'n': ["........", "........", "........", "##.####.", "###...##", "##....##", "##....##",
          "##....##", "##....##", "##....##", "##....##"],
}


def text_width(font, text, gap):
    return sum(len(font[ch][0]) for ch in text) + gap * (len(text) - 1)


def draw_text(cv, font, text, x, y, colour, gap=1):
    """Draws text with its top row at y; colour may be a function of the
    letter index."""
    for i, ch in enumerate(text):
        glyph = font[ch]
        c = colour(i) if callable(colour) else colour
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == '#':
                    cv.put(x + gx, y + gy, c)
        x += len(glyph[0]) + gap
    return x


# ---------------------------------------------------------------- 16 x 16 icons

INK = '#202020'


def arrow_up():
    cv = Canvas(16, 16)
    for i, w in enumerate((2, 4, 6, 8, 10)):
        cv.hline(8 - w // 2, 7 + w // 2, 5 + i, 'k')
    return cv, {'k': INK}


def arrow_down():
    cv, colours = arrow_up()
    return cv.flipped(), colours


def arrow_right():
    cv, colours = arrow_up()
    return cv.rotated(), colours


def arrow_left():
    cv, colours = arrow_right()
    return cv.mirrored(), colours


FOLDER_COLOURS = {'o': '#7A5A14', 'y': '#F2C84B', 'h': '#FFE9A3', 'd': '#D4A22C'}


def folder_shape(cv):
    cv.rect(1, 3, 6, 4, 'o')          # tab
    cv.rect(2, 4, 5, 4, 'h')
    cv.rect(1, 5, 14, 13, 'o')        # body
    cv.rect(2, 6, 13, 12, 'y')
    cv.hline(2, 13, 6, 'h')
    cv.hline(2, 13, 12, 'd')
    cv.vline(13, 6, 12, 'd')


def folder():
    cv = Canvas(16, 16)
    folder_shape(cv)
    return cv, dict(FOLDER_COLOURS)


def upfolder():
    cv = Canvas(16, 16)
    folder_shape(cv)
    for i, w in enumerate((2, 4, 6)):           # arrow head
        cv.hline(8 - w // 2, 7 + w // 2, 6 + i, 'k')
    cv.rect(7, 9, 8, 11, 'k')                   # shaft
    colours = dict(FOLDER_COLOURS)
    colours['k'] = INK
    return cv, colours


def floppy(cv):
    cv.polygon([(1, 1), (13, 1), (15, 3), (15, 15), (1, 15)], 'o')
    cv.polygon([(2, 2), (12.6, 2), (14, 3.4), (14, 14), (2, 14)], 'b')
    cv.rect(4, 2, 11, 6, 'm')          # shutter
    cv.rect(9, 3, 10, 5, 'o')
    cv.rect(4, 9, 12, 14, 'w')         # label
    cv.hline(5, 11, 11, 'l')
    cv.hline(5, 11, 13, 'l')


FLOPPY_COLOURS = {'o': '#1B2F63', 'b': '#3D67C1', 'm': '#C4C8D0', 'w': '#FFFFFF', 'l': '#8AA2D8'}


def save():
    cv = Canvas(16, 16)
    floppy(cv)
    return cv, dict(FLOPPY_COLOURS)


def saveas():
    cv = Canvas(16, 16)
    floppy(cv)
    # A pencil lying across the lower right corner.
    pencil = [(15.5, 6.5), (16.5, 7.5), (9.5, 14.5), (7.5, 15.5), (8.5, 13.5)]
    cv.polygon([(x - 0.5, y - 0.5) for x, y in pencil], 'p')
    cv.line(15, 6, 8, 13, 'q')
    cv.put(7, 15, 'k')
    cv.put(8, 14, 'k')
    cv.put(15, 6, 'r')
    cv.put(14, 6, 'r')
    colours = dict(FLOPPY_COLOURS)
    colours.update({'p': '#F5C518', 'q': '#B88A00', 'k': INK, 'r': '#E06070'})
    return cv, colours


def file_icon():
    cv = Canvas(16, 16)
    cv.polygon([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], 'o')
    cv.polygon([(4, 2), (9.6, 2), (12, 4.4), (12, 14), (4, 14)], 'w')
    cv.rect(9, 2, 9, 4, 'o')           # the folded corner
    cv.hline(9, 12, 4, 'o')
    cv.rect(10, 2, 11, 3, None)
    cv.put(12, 3, None)
    cv.put(10, 3, 'g')
    for y in (6, 8, 10, 12):
        cv.hline(5, 10 if y != 12 else 8, y, 'l')
    return cv, {'o': '#5A5A5A', 'w': '#FFFFFF', 'l': '#A8B4C8', 'g': '#D8D8D8'}


def quit_icon():
    cv = Canvas(16, 16)
    cv.rect(1, 1, 9, 14, 'f')          # door frame
    cv.rect(2, 2, 8, 14, 'k')          # dark doorway
    cv.polygon([(2, 2), (6, 3), (6, 15), (2, 15)], 'd')  # the open door
    cv.put(5, 9, 'y')                  # its knob
    cv.rect(6, 7, 11, 9, 'r')          # arrow: shaft and head
    cv.polygon([(11, 3.5), (16, 8.5), (11, 13.5)], 'r')
    return cv, {'f': '#6B4A2A', 'k': '#2A2A2A', 'd': '#B07A45', 'y': '#F2D04B', 'r': '#D03030'}


def check():
    cv = Canvas(16, 16)
    cv.line(3, 8, 6, 11, 'k', 2)
    cv.line(6, 11, 12, 3, 'k', 2)
    return cv, {'k': INK}


def link():
    cv = Canvas(16, 16)
    for i, h in enumerate((7, 5, 3, 1)):
        cv.vline(6 + i, 8 - h // 2 - 1, 7 + h // 2 - 1 + 1, 'k')
    return cv, {'k': INK}


# ---------------------------------------------------------------- 100 x 25 symbols

WHITE = '#FFFFFF'
WORD = '#F4F4F4'
WORD_SHADOW = '#202020'

# White marks drawn inside the 23 x 23 symbols, 2-pixel strokes.
MARKS = {
    '?': ["..####..", ".######.", "##....##", "......##", ".....##.", "....##..", "...##...",
          "...##...", "........", "...##...", "...##..."],
    '!': ["##", "##", "##", "##", "##", "##", "##", "..", "##", "##"],
    'i': ["##", "##", "..", "##", "##", "##", "##", "##", "##", "##"],
}


def mark(cv, ch, cx, cy, colour):
    glyph = MARKS[ch]
    x0 = cx - len(glyph[0]) // 2
    y0 = cy - len(glyph) // 2
    for gy, row in enumerate(glyph):
        for gx, bit in enumerate(row):
            if bit == '#':
                cv.put(x0 + gx, y0 + gy, colour)


def banner(word, draw_symbol, colours):
    """A symbol with its word beside it.  The word is light with a dark
    shadow, so that it reads on dark and light dialog backgrounds alike."""
    cv = Canvas(100, 25)
    draw_symbol(cv)
    text = Canvas(100, 25)
    draw_text(text, SMALL, word, 29, 9, 't')
    text.shadow('u', 1, 1)
    cv.paste(text, 0, 0)
    colours = dict(colours)
    colours.update({'t': WORD, 'u': WORD_SHADOW})
    return cv, colours


def round_symbol(face, light, dark, edge):
    def draw(cv):
        cv.disc(12.5, 12.5, 11.5, 'f')
        cv.ring_shade(12.5, 12.5, 11.5, 'h', 'd', 'e')
    return draw, {'f': face, 'h': light, 'd': dark, 'e': edge}


def question():
    draw, colours = round_symbol('#3C6FD1', '#8FB0EE', '#284C96', '#1B3470')

    def symbol(cv):
        draw(cv)
        mark(cv, '?', 12, 12, 'w')
    colours['w'] = WHITE
    return banner("Question", symbol, colours)


def attention():
    draw, colours = round_symbol('#EE8A1C', '#FFC27A', '#B8620A', '#7E4306')

    def symbol(cv):
        draw(cv)
        mark(cv, '!', 12, 12, 'w')
    colours['w'] = WHITE
    return banner("Attention", symbol, colours)


def error():
    draw, colours = round_symbol('#D8312B', '#F29390', '#A01D18', '#6E100C')

    def symbol(cv):
        draw(cv)
        for d in range(8):
            for t in (0, 1):
                cv.put(8 + d + t, 8 + d, 'w')
                cv.put(16 - d + t, 8 + d, 'w')
    colours['w'] = WHITE
    return banner("Error", symbol, colours)


def warning():
    def symbol(cv):
        cv.polygon([(12.5, 1), (24, 23), (1, 23)], 'e')
        cv.polygon([(12.5, 3.6), (22.2, 22), (2.8, 22)], 'f')
        cv.polygon([(12.5, 3.6), (13.6, 5.8), (4.6, 22), (2.8, 22)], 'h')
        mark(cv, '!', 12, 15, 'k')
    colours = {'e': '#7A5C00', 'f': '#F7CD1F', 'h': '#FCE27A', 'k': INK}
    return banner("Warning", symbol, colours)


def info():
    def symbol(cv):
        cv.rect(2, 1, 22, 23, 'e')
        cv.rect(1, 2, 23, 22, 'e')
        cv.rect(2, 2, 22, 22, 'f')
        cv.hline(3, 21, 2, 'h')
        cv.vline(2, 3, 21, 'h')
        cv.hline(3, 22, 22, 'd')
        cv.vline(22, 3, 21, 'd')
        mark(cv, 'i', 12, 12, 'w')
    colours = {'e': '#173F73', 'f': '#2F78C4', 'h': '#86B6EA', 'd': '#225A96', 'w': WHITE}
    return banner("Information", symbol, colours)


# ---------------------------------------------------------------- emblems and logos

def korrin():
    """The toolkit's emblem: a bevelled tile with a white K."""
    cv = Canvas(32, 32)
    cv.rect(2, 1, 29, 30, 'e')
    cv.rect(1, 2, 30, 29, 'e')
    cv.rect(2, 2, 29, 29, 'f')
    cv.rect(2, 2, 29, 3, 'h')
    cv.rect(2, 2, 3, 29, 'h')
    cv.rect(4, 28, 29, 29, 'd')
    cv.rect(28, 4, 29, 29, 'd')
    letter = Canvas(32, 32)
    letter.polygon([(9, 7), (13, 7), (13, 25), (9, 25)], 'w')
    letter.polygon([(13, 15), (20, 7), (25, 7), (17, 16.5), (25.5, 25), (20.5, 25), (13, 18)], 'w')
    letter.shadow('s', 1, 1)
    cv.paste(letter, 0, 0)
    return cv, {'e': '#0F3D4C', 'f': '#1F8AA8', 'h': '#7CCBE0', 'd': '#15607A', 'w': WHITE,
                's': '#0C3340'}


def vantro():
    """Emblem of the sibling image viewer: a framed landscape."""
    cv = Canvas(32, 32)
    cv.rect(1, 3, 30, 28, 'o')              # frame
    cv.rect(2, 4, 29, 27, 'w')
    cv.hline(2, 29, 4, 'l')
    cv.vline(2, 4, 27, 'l')
    cv.rect(4, 6, 27, 25, 'o')              # the picture
    cv.rect(5, 7, 26, 24, 's')
    cv.rect(5, 14, 26, 17, 'c')
    cv.disc(21.5, 11.5, 3, 'y')             # sun
    cv.polygon([(5, 25), (5, 19), (11, 12), (17, 19), (20, 16), (27, 23), (27, 25)], 'g')
    cv.polygon([(11, 12), (13.2, 14.6), (11, 14), (8.8, 14.6)], 'n')   # snow
    cv.polygon([(5, 25), (5, 22), (12, 19.5), (20, 21), (27, 20), (27, 25)], 'G')
    return cv, {'o': '#4A3420', 'w': '#C8A070', 'l': '#E6C89A', 's': '#6FB2EE', 'c': '#A8D4F6',
                'y': '#FFD23A', 'g': '#3E7F3A', 'n': '#FFFFFF', 'G': '#5FAE4A'}


def window_mark(cv, x, y, colours):
    """A 13 x 13 window symbol: title bar and body."""
    frame, bar, body = colours
    cv.rect(x, y, x + 12, y + 12, frame)
    cv.rect(x + 1, y + 1, x + 11, y + 3, bar)
    cv.rect(x + 1, y + 5, x + 11, y + 11, body)
    cv.rect(x + 9, y + 2, x + 10, y + 2, body)


def logo_canvas(letter_colour, shadow, mark_colours, background=None):
    cv = Canvas(89, 13, background)
    word = "Korrin"
    width = 13 + 5 + text_width(LOGO, word, 2) + 1
    x = (89 - width) // 2
    window_mark(cv, x, 0, mark_colours)
    letters = Canvas(89, 13)
    draw_text(letters, LOGO, word, x + 18, 1, letter_colour, 2)
    letters.shadow(shadow, 1, 1)
    cv.paste(letters, 0, 0)
    return cv


def logo():
    palette = ['K', 'o', 'r', 'R', 'i', 'n']
    cv = logo_canvas(lambda i: palette[i], 's', ('e', 'b', 'w'))
    return cv, {'K': '#2D5BD2', 'o': '#D8412E', 'r': '#E9961C', 'R': '#2E9E48', 'i': '#8A3FC8',
                'n': '#178FA3', 's': '#3A3A3A', 'e': '#303030', 'b': '#2D5BD2', 'w': '#FFFFFF'}


def logomono():
    """The logo in six light greys, opaque: it serves as a wallpaper behind
    text."""
    cv = logo_canvas('l', 's', ('s', 'm', 'h'), 'b')
    for y in range(13):                     # a faint diagonal weave
        for x in range(89):
            if cv.px[y][x] == 'b' and (x + y) % 4 == 0:
                cv.px[y][x] = 'p'
    return cv, {'b': '#EEEEEE', 'p': '#E2E2E2', 'h': '#D6D6D6', 'l': '#C6C6C6', 'm': '#B4B4B4',
                's': '#A2A2A2'}


def quelmo():
    """The memo pad's icon: a ruled note pad with a pencil; seven colours."""
    cv = Canvas(32, 32)
    cv.rect(4, 4, 25, 30, 'k')              # pad
    cv.rect(5, 5, 24, 29, 'w')
    for y in range(10, 29, 3):              # ruled lines
        cv.hline(6, 23, y, 'b')
    cv.vline(9, 6, 28, 'r')                 # margin
    for x in range(7, 24, 4):               # spiral rings
        cv.rect(x, 2, x + 1, 6, 'k')
        cv.rect(x, 3, x + 1, 5, 'g')
    # Pencil across the lower right, tip pointing down-left.
    body = [(30, 13), (31.5, 14.5), (19.5, 26.5), (18, 25)]
    cv.polygon(body, 'k')
    cv.polygon([(30, 14), (30.8, 14.8), (19.3, 26.2), (18.5, 25.4)], 'y')
    cv.polygon([(18, 25), (19.5, 26.5), (16, 28.5)], 'k')
    cv.put(16, 28, 'k')
    cv.put(29, 13, 'r')
    cv.put(30, 14, 'r')
    return cv, {'k': '#2E2E2E', 'w': '#FFFDF2', 'b': '#8CA8E6', 'r': '#E04848', 'g': '#A8A8A8',
                'y': '#F4C21C'}


# ---------------------------------------------------------------- output

STOCK = [
    ("res_arrowUp", arrow_up, "scroll arrow up"),
    ("res_arrowDw", arrow_down, "scroll arrow down"),
    ("res_arrowLt", arrow_left, "scroll arrow left"),
    ("res_arrowRt", arrow_right, "scroll arrow right"),
    ("res_upfolder", upfolder, "parent folder"),
    ("res_folder", folder, "folder, Open"),
    ("res_save", save, "save"),
    ("res_saveas", saveas, "save as"),
    ("res_file", file_icon, "file, New"),
    ("res_quit", quit_icon, "quit"),
    ("res_check", check, "check mark of menu items"),
    ("res_link", link, "mark of menu items that open a sub-menu"),
    ("res_question", question, "question"),
    ("res_attention", attention, "attention"),
    ("res_error", error, "error"),
    ("res_warning", warning, "warning"),
    ("res_info", info, "information"),
    ("res_korrin", korrin, "the toolkit's emblem"),
    ("res_logo", logo, "logo"),
    ("res_logomono", logomono, "logo in greys"),
    ("res_vantro", vantro, "emblem of the image viewer"),
]

APP = [("res_quelmo", quelmo, "the memo pad's icon")]


def xpm_lines(cv, colours):
    used = sorted({c for row in cv.px for c in row if c is not None})
    missing = [c for c in used if c not in colours]
    if missing:
        sys.exit("no colour for keys %r" % missing)
    transparent = any(c is None for row in cv.px for c in row)
    keys = ([' '] if transparent else []) + used
    lines = ['"%d %d %d 1",' % (cv.w, cv.h, len(keys))]
    if transparent:
        lines.append('"  c None",')
    lines += ['"%s c %s",' % (k, colours[k]) for k in used]
    lines += ['"%s",' % ''.join(' ' if c is None else c for c in row) for row in cv.px]
    lines[-1] = lines[-1].rstrip(',')
    return lines


def source(entries, header, tail=""):
    out = [header, "// clang-format off"]
    for name, fn, role in entries:
        cv, colours = fn()
        out.append("")
        out.append("// %s, %d x %d." % (role[0].upper() + role[1:], cv.w, cv.h))
        out.append("const char* const %s[] = {" % name)
        out += ["    " + line for line in xpm_lines(cv, colours)]
        out.append("};")
    out.append(tail)
    out.append("// clang-format on")
    return "\n".join(out).rstrip("\n") + "\n"


TOOLKIT_HEADER = """/*
 * res_images.cpp - the toolkit's stock images as XPM data (drawn by
 * scripts/make-artwork.py, which writes this file): scroll arrows, file and
 * command icons, menu marks, the message dialog's symbols with their words,
 * the toolkit's emblem and logos.  krnOpenDisplay loads them in slot order
 * from krnStockImageData.
 */
#include <korrin.h>

#include "core/korrin_internal.h"
"""

TOOLKIT_TAIL = """
// The stock images in slot order (KRN_IMG_*).  libXpm takes char**; the
// data is only read.
const char* const* const krnStockImageData[KRN_NIMAGES] = {
%s
};
""" % "\n".join("    %s," % name for name, _, _ in STOCK)

APP_HEADER = """/*
 * res_images.cpp - the memo pad's own picture as XPM data (drawn by
 * scripts/make-artwork.py, which writes this file).  The About dialog shows
 * it beside the version text, over the toolkit's grey logo res_logomono.
 */
#include "res_images.h"
"""


def write_png(directory, name, cv, colours, scale=8):
    path = os.path.join(directory, name + ".xpm")
    with open(path, "w") as f:
        f.write("/* XPM */\nstatic char *x[] = {\n")
        f.write("\n".join(xpm_lines(cv, colours)) + "\n};\n")
    subprocess.run(["convert", path, "-background", "#C8C8C8", "-flatten", "-scale",
                    "%d%%" % (scale * 100), os.path.join(directory, name + ".png")], check=True)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--png":
        os.makedirs(sys.argv[2], exist_ok=True)
        for name, fn, _ in STOCK + APP:
            cv, colours = fn()
            write_png(sys.argv[2], name, cv, colours)
        return
    with open(os.path.join(ROOT, "toolkit/support/res_images.cpp"), "w") as f:
        f.write(source(STOCK, TOOLKIT_HEADER, TOOLKIT_TAIL))
    with open(os.path.join(ROOT, "app/res_images.cpp"), "w") as f:
        f.write(source(APP, APP_HEADER))


if __name__ == "__main__":
    main()
