// Colours on a 24-bit TrueColor server: allocation by components and names,
// shades read back from the server, and no 8-bit tables.
#include <gtest/gtest.h>
#include <korrin.h>

#include <array>

#include "xharness.h"

KRN_X_ENVIRONMENT(24, false);

namespace {

class ColorX : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = XOpenDisplay(krntest::DisplayName().c_str());
    ASSERT_NE(nullptr, display_);
    cmap_ = DefaultColormap(display_, 0);
  }
  void TearDown() override {
    if (display_) XCloseDisplay(display_);
  }
  std::array<int, 3> RGB(unsigned long pixel) {
    std::array<int, 3> c{-1, -1, -1};
    EXPECT_EQ(1, krnGetRGB(display_, cmap_, pixel, &c[0], &c[1], &c[2]));
    return c;
  }
  Display* display_ = nullptr;
  Colormap cmap_ = 0;
};

using C = std::array<int, 3>;

TEST_F(ColorX, ComponentsRoundTrip) {
  EXPECT_EQ((C{10, 20, 30}), RGB(krnGetColor(display_, cmap_, 10, 20, 30)));
  EXPECT_EQ((C{255, 255, 255}), RGB(krnGetColor(display_, cmap_, 255, 255, 255)));
  EXPECT_EQ((C{0, 0, 0}), RGB(krnGetColor(display_, cmap_, 0, 0, 0)));
}

TEST_F(ColorX, NamedColors) {
  EXPECT_EQ((C{105, 105, 105}), RGB(krnGetNamedColor(display_, cmap_, "DimGrey")));
  EXPECT_EQ((C{0x10, 0x20, 0x30}), RGB(krnGetNamedColor(display_, cmap_, "#102030")));
  EXPECT_EQ(0ul, krnGetNamedColor(display_, cmap_, "no such colour"));
}

TEST_F(ColorX, NamedShades) {
  const struct {
    const char* name;
    int type;
    C rgb;
  } cases[] = {
      {"DimGrey", KRN_SHADE_FACE, {122, 122, 122}},
      {"DimGrey", KRN_SHADE_LIGHT, {197, 197, 197}},
      {"DimGrey", KRN_SHADE_DARK, {52, 52, 52}},
      {"grey", KRN_SHADE_CONTRAST, {62, 62, 62}},
      {"no such colour", KRN_SHADE_FACE, {127, 127, 127}},
      {"no such colour", KRN_SHADE_LIGHT, {255, 255, 255}},
      {"no such colour", KRN_SHADE_DARK, {0, 0, 0}},
      {"no such colour", KRN_SHADE_CONTRAST, {255, 255, 255}},
      {"#102030", KRN_SHADE_DARK, {0, 0, 0}},  // only database names have shades
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.rgb, RGB(krnGetAlterNamedColor(display_, cmap_, c.name, c.type)))
        << c.name << " " << c.type;
  }
  EXPECT_EQ((C{127, 0, 30}), RGB(krnGetAlterColor(display_, cmap_, 300, -5, 60, KRN_SHADE_DARK)));
}

TEST_F(ColorX, NoEightBitTablesOnTrueColor) {
  EXPECT_EQ(nullptr, krnConvertColormap(display_, cmap_));
  EXPECT_EQ(0ul, krnCreate8bppColormap(display_));
  Colormap copy = krnCopyColormap(display_, cmap_);
  EXPECT_NE(0ul, copy);
  XFreeColormap(display_, copy);
}

}  // namespace
