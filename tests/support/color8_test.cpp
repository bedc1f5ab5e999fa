// Colours on an 8-bit PseudoColor server with an open session: the pixel
// table, the standard-cube colour map, the near-colour fall-back of a full
// map and the colour-map dump.
#include <gtest/gtest.h>
#include <korrin.h>

#include <algorithm>
#include <string>
#include <vector>

#include "xharness.h"

KRN_X_ENVIRONMENT(8, true);

namespace {

struct Cell {
  int r, g, b;
};

std::vector<Cell> QueryAll(Colormap cmap) {
  std::vector<XColor> xc(256);
  for (int i = 0; i < 256; i++) xc[i].pixel = i;
  XQueryColors(krntest::Dpy(), cmap, xc.data(), 256);
  std::vector<Cell> cells;
  for (const XColor& c : xc) cells.push_back({c.red >> 8, c.green >> 8, c.blue >> 8});
  return cells;
}

unsigned Distance(Cell c, int r, int g, int b) {
  return unsigned((c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b));
}

TEST(Color8, PixelTableMapsCubeToNearestCell) {
  ASSERT_EQ(8u, g_korrin.depth);
  const int* table = g_korrin.colorTable8;
  ASSERT_NE(nullptr, table);
  std::vector<Cell> cells = QueryAll(g_korrin.colormap);
  int index = KRN_CUBE_BASE;
  int exact = 0;
  for (int r = 0; r <= 255; r += 51)
    for (int g = 0; g <= 255; g += 51)
      for (int b = 0; b <= 255; b += 51, index++) {
        unsigned best = ~0u;
        for (const Cell& c : cells) best = std::min(best, Distance(c, r, g, b));
        ASSERT_GE(table[index], 0);
        ASSERT_LT(table[index], 256);
        EXPECT_EQ(best, Distance(cells[table[index]], r, g, b)) << "entry " << index;
        if (best == 0) exact++;
      }
  EXPECT_EQ(256, index);
  // The table filled the free cells with an even cube: black and white are
  // there exactly, and most cube colours come close.
  EXPECT_EQ(0u, Distance(cells[table[KRN_CUBE_BASE]], 0, 0, 0));
  EXPECT_EQ(0u, Distance(cells[table[255]], 255, 255, 255));
  EXPECT_GT(exact, 1);
}

TEST(Color8, StandardCubeColormap) {
  Colormap map = krnCreate8bppColormap(krntest::Dpy());
  ASSERT_NE(0ul, map);
  std::vector<XColor> xc(256);
  for (int i = 0; i < 256; i++) xc[i].pixel = i;
  XQueryColors(krntest::Dpy(), map, xc.data(), 256);
  std::vector<Cell> session = QueryAll(g_korrin.colormap);
  for (int i = 0; i < KRN_CUBE_BASE; i++) {
    EXPECT_EQ(session[i].r, xc[i].red >> 8) << i;
    EXPECT_EQ(session[i].b, xc[i].blue >> 8) << i;
  }
  EXPECT_EQ(0, xc[40].red | xc[40].green | xc[40].blue);  // the cube's black
  EXPECT_EQ(51, xc[41].blue >> 8);
  EXPECT_EQ(0, xc[41].red);
  EXPECT_EQ(51, xc[40 + 36].red >> 8);  // red varies slowest
  EXPECT_EQ(0xFFFF, xc[255].red & xc[255].green & xc[255].blue);
  XFreeColormap(krntest::Dpy(), map);
}

TEST(Color8, FullMapGivesNearestCellLowestOnTies) {
  Display* d = krntest::Dpy();
  Colormap map = XCreateColormap(d, DefaultRootWindow(d), DefaultVisual(d, 0), AllocAll);
  for (int i = 0; i < 256; i++) {
    XColor c{};
    c.pixel = i;
    c.red = c.green = c.blue = 0xFFFF;
    if (i == 3 || i == 200) c.green = c.blue = 0, c.red = 100 << 8;
    if (i == 9) c.red = c.blue = 0, c.green = 100 << 8;
    c.flags = DoRed | DoGreen | DoBlue;
    XStoreColor(d, map, &c);
  }
  EXPECT_EQ(3ul, krnGetColor(d, map, 50, 50, 0));  // 3 and 9 equally near
  EXPECT_EQ(9ul, krnGetColor(d, map, 0, 90, 0));
  EXPECT_EQ(3ul, krnGetColor(d, map, 100, 0, 0));  // 3 and 200 equal
  EXPECT_EQ(0ul, krnGetColor(d, map, 250, 250, 250));
  EXPECT_EQ(9ul, krnGetNamedColor(d, map, "green"));  // database colour, nearest cell
  XFreeColormap(d, map);
}

TEST(Color8, DumpPrintsEveryCell) {
  Colormap map = krnCreate8bppColormap(krntest::Dpy());
  testing::internal::CaptureStdout();
  int n = krnDumpColormap(krntest::Dpy(), map);
  std::string out = testing::internal::GetCapturedStdout();
  XFreeColormap(krntest::Dpy(), map);
  EXPECT_EQ(256, n);
  EXPECT_NE(std::string::npos, out.find("Pixel:000041 - RGB:  0,  0, 51\n"));
  EXPECT_NE(std::string::npos, out.find("Pixel:000255 - RGB:255,255,255\n"));
  EXPECT_EQ(256, std::count(out.begin(), out.end(), '\n'));
}

}  // namespace
