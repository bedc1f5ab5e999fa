// Pictures on an 8-bit PseudoColor server: true-colour pixels go through
// the colour-cube pixel table, the session's own for the session's colour
// map and a fresh one for any other map; palette pixels are allocated.
#include <cstdlib>

#include "xharness.h"

KRN_X_ENVIRONMENT(8, true);

namespace {

using krntest::Dpy;

std::string MakeBmp(const krntest::TempDir& dir, const std::string& name,
                    const std::string& options) {
  std::string path = dir.file(name);
  int status = 0;
  krntest::Run("convert -size 1x1 'xc:rgb(255,128,0)' 'xc:rgb(0,0,255)' +append " + options +
                   " BMP3:'" + path + "'",
               &status);
  EXPECT_EQ(status, 0);
  return path;
}

TEST(Image8, TrueColourGoesThroughThePixelTable) {
  ASSERT_EQ(g_korrin.depth, 8u);
  ASSERT_NE(g_korrin.colorTable8, nullptr);
  krntest::TempDir dir;
  std::string path = MakeBmp(dir, "true.bmp", "-type TrueColor");
  KrnImage* image = krnLoadImage(Dpy(), path.c_str(), g_korrin.colormap, KRN_IMAGE_BMP24);
  ASSERT_NE(image, nullptr);
  // Cube index 40 + 36*5 + 6*2 + 0 = 232; blue is 40 + 5 = 45.
  EXPECT_EQ(krntest::Pixel(image->pixmap, 0, 0), (unsigned long)g_korrin.colorTable8[232]);
  EXPECT_EQ(krntest::Pixel(image->pixmap, 1, 0), (unsigned long)g_korrin.colorTable8[45]);
  krnFreeImage(Dpy(), image);
}

TEST(Image8, AnotherColourMapGetsItsOwnTable) {
  krntest::TempDir dir;
  std::string path = MakeBmp(dir, "true.bmp", "-type TrueColor");
  Colormap cube = krnCreate8bppColormap(Dpy());
  ASSERT_NE(cube, 0u);
  int* table = krnConvertColormap(Dpy(), cube);
  ASSERT_NE(table, nullptr);
  KrnImage* image = krnLoadImage(Dpy(), path.c_str(), cube, KRN_IMAGE_BMP24);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(krntest::Pixel(image->pixmap, 0, 0), (unsigned long)table[232]);
  krnFreeImage(Dpy(), image);
  free(table);
  XFreeColormap(Dpy(), cube);
}

TEST(Image8, PaletteColoursAreAllocated) {
  krntest::TempDir dir;
  std::string path = MakeBmp(dir, "palette.bmp", "-type Palette -colors 2 -compress None");
  KrnImage* image = krnLoadImage(Dpy(), path.c_str(), g_korrin.colormap, KRN_IMAGE_BMP);
  ASSERT_NE(image, nullptr);
  int r, g, b;
  krnGetRGB(Dpy(), g_korrin.colormap, krntest::Pixel(image->pixmap, 1, 0), &r, &g, &b);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 255);
  krnFreeImage(Dpy(), image);
}

}  // namespace
