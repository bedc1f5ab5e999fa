/*
 * res_images.cpp - the memo pad's own picture as XPM data (drawn by
 * scripts/make-artwork.py, which writes this file).  The About dialog shows
 * it beside the version text, over the toolkit's grey logo res_logomono.
 */
#include "res_images.h"

// clang-format off

// The memo pad's icon, 32 x 32.
const char* const res_quelmo[] = {
    "32 32 7 1",
    "  c None",
    "b c #8CA8E6",
    "g c #A8A8A8",
    "k c #2E2E2E",
    "r c #E04848",
    "w c #FFFDF2",
    "y c #F4C21C",
    "                                ",
    "                                ",
    "       kk  kk  kk  kk  kk       ",
    "       gg  gg  gg  gg  gg       ",
    "    kkkggkkggkkggkkggkkggk      ",
    "    kwwggwwggwwggwwggwwggk      ",
    "    kwwkkrwkkwwkkwwkkwwkkk      ",
    "    kwwwwrwwwwwwwwwwwwwwwk      ",
    "    kwwwwrwwwwwwwwwwwwwwwk      ",
    "    kwwwwrwwwwwwwwwwwwwwwk      ",
    "    kwbbbrbbbbbbbbbbbbbbwk      ",
    "    kwwwwrwwwwwwwwwwwwwwwk      ",
    "    kwwwwrwwwwwwwwwwwwwwwk      ",
    "    kwbbbrbbbbbbbbbbbbbbwk   rk ",
    "    kwwwwrwwwwwwwwwwwwwwwk  kyrk",
    "    kwwwwrwwwwwwwwwwwwwwwk kyyk ",
    "    kwbbbrbbbbbbbbbbbbbbwkkyyk  ",
    "    kwwwwrwwwwwwwwwwwwwwwkyyk   ",
    "    kwwwwrwwwwwwwwwwwwwwkyyk    ",
    "    kwbbbrbbbbbbbbbbbbbkyyk     ",
    "    kwwwwrwwwwwwwwwwwwkyyk      ",
    "    kwwwwrwwwwwwwwwwwkyykk      ",
    "    kwbbbrbbbbbbbbbbkyykwk      ",
    "    kwwwwrwwwwwwwwwkyykwwk      ",
    "    kwwwwrwwwwwwwwkyykwwwk      ",
    "    kwbbbrbbbbbbbbkykbbbwk      ",
    "    kwwwwrwwwwwwwkkkwwwwwk      ",
    "    kwwwwrwwwwwwwkwwwwwwwk      ",
    "    kwbbbrbbbbbbkbbbbbbbwk      ",
    "    kwwwwwwwwwwwwwwwwwwwwk      ",
    "    kkkkkkkkkkkkkkkkkkkkkk      ",
    "                                "
};

// clang-format on
