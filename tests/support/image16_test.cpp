// Pictures on a 16-bit TrueColor server: true-colour pixels of BMP and JPEG
// files are laid out 5-6-5 for the screen.
#include <cstdlib>

#include "xharness.h"

KRN_X_ENVIRONMENT(16, true);

namespace {

using krntest::Dpy;

TEST(Image16, TrueColourPixelsUseTheFiveSixFiveLayout) {
  krntest::TempDir dir;
  std::string path = dir.file("orange.bmp");
  int status = 0;
  krntest::Run(
      "convert -size 1x1 'xc:rgb(255,128,0)' 'xc:rgb(8,4,255)' +append -type TrueColor "
      "BMP3:'" +
          path + "'",
      &status);
  ASSERT_EQ(status, 0);
  KrnImage* image = krnLoadImage(Dpy(), path.c_str(), g_korrin.colormap, KRN_IMAGE_BMP24);
  ASSERT_NE(image, nullptr);
  // (255, 128, 0): red 31, green 32, blue 0.
  EXPECT_EQ(krntest::Pixel(image->pixmap, 0, 0), (31u << 11) | (32u << 5));
  EXPECT_EQ(krntest::Pixel(image->pixmap, 1, 0), (1u << 11) | (1u << 5) | 31u);
  krnFreeImage(Dpy(), image);

  // A flat JPEG colour decodes exactly: white stays white.
  std::string jpeg = dir.file("white.jpg");
  krntest::Run("convert -size 8x8 xc:white -quality 95 '" + jpeg + "'", &status);
  ASSERT_EQ(status, 0);
  image = krnLoadImage(Dpy(), jpeg.c_str(), g_korrin.colormap, KRN_IMAGE_JPEG);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(krntest::Pixel(image->pixmap, 3, 3), 0xFFFFu);
  krnFreeImage(Dpy(), image);
}

}  // namespace
