/*
 * tools_color.cpp - colours on the X server: allocation by components or
 * name with a fall-back to the nearest existing colour when the map is full,
 * shades for 3-D edges and contrast, and on 8-bit PseudoColor screens the
 * pixel table and the standard-cube colour map that true-colour images are
 * mapped through.  The arithmetic lives in colormath.cpp.
 */
#include <korrin.h>

#include <stdio.h>
#include <stdlib.h>

#include <climits>
#include <vector>

#include "support/colormath.h"

static_assert(int(kShadeFace) == int(KRN_SHADE_FACE) && int(kShadeLight) == int(KRN_SHADE_LIGHT) &&
                  int(kShadeDark) == int(KRN_SHADE_DARK) &&
                  int(kShadeContrast) == int(KRN_SHADE_CONTRAST),
              "shade types agree");
static_assert(kCubeBase == KRN_CUBE_BASE, "cube base agrees");
static_assert(kCubeBase + kCubeColors == kColorTableSize, "cube fills the table");

namespace {

constexpr int kMaxCells = 256;  // colour-map cells searched for a near colour
constexpr int kDumpBatch = 4096;

// Near-colour scratch tables, reused by every search.
XColor col[kMaxCells];
unsigned int check[kMaxCells];

unsigned short ToX(int v) {
  return (unsigned short)(v << 8);
}

// A writable cell's component: the full 16-bit range, so 255 is 0xFFFF.
unsigned short ToXFull(int v) {
  return v ? (unsigned short)((v << 8) | 0xFF) : 0;
}

KrnRGB FromX(const XColor& c) {
  return {c.red >> 8, c.green >> 8, c.blue >> 8};
}

int FirstScreenDepth(Display* display) {
  return DefaultDepth(display, 0);
}

int FirstScreenCells(Display* display) {
  int n = DefaultVisual(display, 0)->map_entries;
  return n > kMaxCells ? kMaxCells : n;
}

// Queries cells 0..count-1 of the map into col.
void QueryCells(Display* display, Colormap colormap, int count) {
  for (int i = 0; i < count; i++) col[i].pixel = (unsigned long)i;
  XQueryColors(display, colormap, col, count);
}

std::vector<KrnRGB> CellColors(int count) {
  std::vector<KrnRGB> cells(static_cast<size_t>(count));
  for (int i = 0; i < count; i++) cells[size_t(i)] = FromX(col[i]);
  return cells;
}

// The pixel of the map's colour nearest to (r, g, b); lowest pixel on ties.
unsigned long GetNearColor(Display* display, Colormap colormap, int r, int g, int b) {
  int n = FirstScreenCells(display);
  if (n <= 0) return 0;
  QueryCells(display, colormap, n);
  KrnRGB target = {r, g, b};
  int best = 0;
  for (int i = 0; i < n; i++) {
    check[i] = ColorDistance(FromX(col[i]), target);
    if (check[i] < check[best]) best = i;
  }
  return col[best].pixel;
}

// Looks a colour name up in the colour database: 1 and its components, or 0.
int GetNamedColorRGB(const char* name, int* r, int* g, int* b) {
  if (!name || !*name) return 0;
  const char* path = nullptr;
  FILE* database = OpenColorDatabase(kColorDatabases, &path);
  if (!database) {
    fprintf(stderr, "Error: Can't open rgb file (%s).\n", path);
    return 0;
  }
  KrnRGB c;
  int found = FindColorDatabaseName(database, name, &c);
  fclose(database);
  if (found) {
    *r = c.red;
    *g = c.green;
    *b = c.blue;
  }
  return found;
}

}  // namespace

// The pixel of colour (red, green, blue), 0..255 each: allocated when the
// map has room, else the nearest colour already in it.
unsigned long krnGetColor(Display* display, Colormap colormap, int red, int green, int blue) {
  KrnRGB c = ClampRGB({red, green, blue});
  XColor xc{};
  xc.red = ToX(c.red);
  xc.green = ToX(c.green);
  xc.blue = ToX(c.blue);
  xc.flags = DoRed | DoGreen | DoBlue;
  if (XAllocColor(display, colormap, &xc)) return xc.pixel;
  return GetNearColor(display, colormap, c.red, c.green, c.blue);
}

// The pixel of a named colour (any form the server knows, "#RRGGBB"
// included); the nearest colour when it cannot be allocated; 0 when the
// name is unknown.
unsigned long krnGetNamedColor(Display* display, Colormap colormap, const char* name) {
  if (!name) return 0;
  XColor screen, exact;
  if (XAllocNamedColor(display, colormap, name, &screen, &exact)) return screen.pixel;
  int r, g, b;
  if (!GetNamedColorRGB(name, &r, &g, &b)) return 0;
  return GetNearColor(display, colormap, r, g, b);
}

// The 8-bit components of a pixel.  Always 1.
int krnGetRGB(Display* display, Colormap colormap, unsigned long pixel, int* red, int* green,
              int* blue) {
  XColor xc{};
  xc.pixel = pixel;
  XQueryColor(display, colormap, &xc);
  KrnRGB c = FromX(xc);
  if (red) *red = c.red;
  if (green) *green = c.green;
  if (blue) *blue = c.blue;
  return 1;
}

// The pixel of a shade (KRN_SHADE_*) of a colour.
unsigned long krnGetAlterColor(Display* display, Colormap colormap, int red, int green, int blue,
                               int type) {
  KrnRGB s = ShadeRGB({red, green, blue}, type);
  return krnGetColor(display, colormap, s.red, s.green, s.blue);
}

// The pixel of a shade of a colour named in the colour database; a fixed
// grey for names it does not hold.
unsigned long krnGetAlterNamedColor(Display* display, Colormap colormap, const char* name,
                                    int type) {
  int r, g, b;
  if (GetNamedColorRGB(name, &r, &g, &b)) {
    return krnGetAlterColor(display, colormap, r, g, b, type);
  }
  int grey = UnknownNameShadeGrey(type);
  return krnGetColor(display, colormap, grey, grey, grey);
}

// On an 8-bit screen: fills the map's free cells with an even colour cube
// and returns a new table of 256 ints (caller frees) whose entries 40..255
// hold the pixel nearest to each colour of the 6-level cube; entries below
// 40 are 0.  Null on other depths or when memory runs out.
int* krnConvertColormap(Display* display, Colormap colormap) {
  if (FirstScreenDepth(display) != 8) return nullptr;
  int* table = static_cast<int*>(calloc(kColorTableSize, sizeof(int)));
  if (!table) {
    fputs("Error: Can't allocate memory (convert colormap).\n", stderr);
    return nullptr;
  }
  int n = FirstScreenCells(display);
  QueryCells(display, colormap, n);
  std::vector<KrnRGB> cells = CellColors(n);
  int k = CubeSide(FreeColorCells(cells.data(), n));
  if (k > 2) {
    int step = 255 / (k - 1);
    for (int r = 0; r <= 255; r += step)
      for (int g = 0; g <= 255; g += step)
        for (int b = 0; b <= 255; b += step) krnGetColor(display, colormap, r, g, b);
    QueryCells(display, colormap, n);
    cells = CellColors(n);
  }
  FillCubeTable(cells.data(), n, table);  // cell i is pixel i
  return table;
}

// A new colour map holding copies of the source's first quarter of cells
// (64 on an 8-bit screen), bounded by the visual's own number of cells.
Colormap krnCopyColormap(Display* display, Colormap source) {
  int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  Colormap copy = XCreateColormap(display, RootWindow(display, screen), visual, AllocNone);
  int depth = DefaultDepth(display, screen);
  long quarter = depth >= 24 ? LONG_MAX : (1L << depth) / 4;
  int count = quarter < visual->map_entries ? int(quarter) : visual->map_entries;
  std::vector<XColor> cells(static_cast<size_t>(count > 0 ? count : 0));
  for (int i = 0; i < count; i++) cells[size_t(i)].pixel = (unsigned long)i;
  if (count > 0) XQueryColors(display, source, cells.data(), count);
  for (XColor& c : cells) {
    c.flags = DoRed | DoGreen | DoBlue;
    XAllocColor(display, copy, &c);
  }
  return copy;
}

// On an 8-bit screen: a new fully writable colour map with cells 0..39 as
// in the toolkit's colour map and the standard cube in cells 40..255, the
// layout of the pixel table.  0 on other depths.
Colormap krnCreate8bppColormap(Display* display) {
  if (FirstScreenDepth(display) != 8) return 0;
  Colormap map =
      XCreateColormap(display, RootWindow(display, 0), DefaultVisual(display, 0), AllocAll);
  for (int i = 0; i <= kCubeBase; i++) {
    XColor c{};
    c.pixel = (unsigned long)i;
    XQueryColor(display, g_korrin.colormap, &c);
    c.flags = DoRed | DoGreen | DoBlue;
    XStoreColor(display, map, &c);
  }
  for (int i = 0; i < kCubeColors; i++) {
    KrnRGB cube = CubeColor(i);
    XColor c{};
    c.pixel = (unsigned long)(kCubeBase + i);
    c.red = ToXFull(cube.red);
    c.green = ToXFull(cube.green);
    c.blue = ToXFull(cube.blue);
    c.flags = DoRed | DoGreen | DoBlue;
    XStoreColor(display, map, &c);
  }
  return map;
}

// Prints every cell of the map on standard output; returns the number of
// cells (2 to the screen's depth).
int krnDumpColormap(Display* display, Colormap colormap) {
  int depth = FirstScreenDepth(display);
  long cells = depth >= 31 ? INT_MAX : (1L << depth);
  std::vector<XColor> batch(kDumpBatch);
  for (long start = 0; start < cells; start += kDumpBatch) {
    int count = int(cells - start < kDumpBatch ? cells - start : kDumpBatch);
    for (int i = 0; i < count; i++) batch[size_t(i)].pixel = (unsigned long)(start + i);
    XQueryColors(display, colormap, batch.data(), count);
    for (int i = 0; i < count; i++) {
      const XColor& c = batch[size_t(i)];
      printf("Pixel:%06d - RGB:%3d,%3d,%3d\n", int(start + i), c.red >> 8, c.green >> 8,
             c.blue >> 8);
    }
  }
  return int(cells);
}
