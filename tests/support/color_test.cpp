// Colour arithmetic without X: shades, nearest colours, the colour cube and
// the colour database reader.
#include <gtest/gtest.h>

#include <stdio.h>

#include <memory>
#include <string>

#include "support/colormath.h"
#include "xharness.h"

namespace {

struct ShadeCase {
  KrnRGB in;
  int type;
  KrnRGB out;
};

void ExpectRGB(KrnRGB expect, KrnRGB actual, const std::string& what) {
  EXPECT_EQ(expect.red, actual.red) << what;
  EXPECT_EQ(expect.green, actual.green) << what;
  EXPECT_EQ(expect.blue, actual.blue) << what;
}

TEST(ColorShade, Rules) {
  const ShadeCase cases[] = {
      {{105, 105, 105}, kShadeFace, {122, 122, 122}},
      {{105, 105, 105}, kShadeLight, {197, 197, 197}},
      {{105, 105, 105}, kShadeDark, {52, 52, 52}},
      {{105, 105, 105}, kShadeContrast, {233, 233, 233}},
      {{190, 190, 190}, kShadeContrast, {62, 62, 62}},
      {{0, 0, 0}, kShadeContrast, {255, 255, 255}},
      {{128, 128, 128}, kShadeContrast, {0, 0, 0}},
      {{63, 64, 192}, kShadeContrast, {192, 192, 63}},  // both sides of the 128 gap
      {{127, 191, 255}, kShadeContrast, {255, 63, 0}},
      {{250, 10, 10}, kShadeLight, {255, 255, 255}},  // red saturates: white
      {{255, 0, 0}, kShadeLight, {255, 255, 255}},
      {{0, 0, 0}, kShadeLight, {40, 40, 40}},
      {{143, 10, 0}, kShadeLight, {254, 55, 40}},  // just below saturation
      {{129, 128, 0}, kShadeFace, {108, 149, 0}},
      {{300, -5, 60}, kShadeDark, {127, 0, 30}},  // clamped first
      {{300, -5, 60}, 7, {255, 0, 60}},           // unknown type: only clamped
  };
  for (const ShadeCase& c : cases) {
    KrnRGB in = c.in;
    ExpectRGB(c.out, ShadeRGB(in, c.type),
              std::to_string(in.red) + "," + std::to_string(in.green) + "," +
                  std::to_string(in.blue) + " type " + std::to_string(c.type));
  }
}

TEST(ColorShade, GreyForUnknownNames) {
  EXPECT_EQ(127, UnknownNameShadeGrey(kShadeFace));
  EXPECT_EQ(255, UnknownNameShadeGrey(kShadeLight));
  EXPECT_EQ(0, UnknownNameShadeGrey(kShadeDark));
  EXPECT_EQ(255, UnknownNameShadeGrey(kShadeContrast));
  EXPECT_EQ(0, UnknownNameShadeGrey(9));
}

TEST(ColorNearest, DistanceAndTies) {
  EXPECT_EQ(3u * 255 * 255, ColorDistance({0, 0, 0}, {255, 255, 255}));
  const KrnRGB cells[] = {{255, 255, 255}, {100, 0, 0}, {0, 100, 0}, {100, 0, 0}};
  EXPECT_EQ(1, NearestColorIndex(cells, 4, {50, 50, 0}));  // equal to 1 and 2: lower wins
  EXPECT_EQ(2, NearestColorIndex(cells, 4, {0, 90, 0}));
  EXPECT_EQ(1, NearestColorIndex(cells, 4, {100, 0, 0}));  // exact, twice: the first
  EXPECT_EQ(0, NearestColorIndex(cells, 4, {250, 250, 250}));
  EXPECT_EQ(0, NearestColorIndex(cells, 0, {1, 2, 3}));
}

TEST(ColorCube, Layout) {
  ExpectRGB({0, 0, 0}, CubeColor(0), "first");
  ExpectRGB({0, 0, 51}, CubeColor(1), "blue fastest");
  ExpectRGB({0, 51, 0}, CubeColor(6), "green");
  ExpectRGB({51, 0, 0}, CubeColor(36), "red slowest");
  ExpectRGB({255, 255, 255}, CubeColor(215), "last");
  EXPECT_EQ(kColorTableSize, kCubeBase + kCubeColors);
}

TEST(ColorCube, SideAndFreeCells) {
  const int sides[][2] = {{0, -1}, {1, 1}, {2, 2}, {8, 2}, {9, 3}, {216, 6}, {217, 7}, {253, 7}};
  for (const auto& s : sides) EXPECT_EQ(s[1], CubeSide(s[0])) << s[0];
  const KrnRGB cells[] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  EXPECT_EQ(2, FreeColorCells(cells, 4));  // one real black is kept
  EXPECT_EQ(0, FreeColorCells(cells + 1, 1));
}

TEST(ColorCube, TableHoldsNearestCells) {
  const KrnRGB cells[] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 200}};
  int table[kColorTableSize];
  for (int& t : table) t = -7;
  FillCubeTable(cells, 4, table);
  EXPECT_EQ(-7, table[kCubeBase - 1]);  // entries below the cube untouched
  EXPECT_EQ(0, table[kCubeBase]);       // black
  EXPECT_EQ(1, table[kColorTableSize - 1]);
  EXPECT_EQ(2, table[kCubeBase + 5 * 36]);  // pure red
  EXPECT_EQ(3, table[kCubeBase + 4]);       // (0, 0, 204)
  EXPECT_EQ(0, table[kCubeBase + 1]);       // (0, 0, 51): black is nearer than blue
}

class ColorDatabase : public ::testing::Test {
 protected:
  krntest::TempDir dir_;

  // Looks name up in a database file holding data; "-" when not found.
  std::string Find(const std::string& data, const char* name) {
    std::string path = dir_.file("rgb.txt");
    krntest::WriteFile(path, data);
    std::unique_ptr<FILE, int (*)(FILE*)> f(fopen(path.c_str(), "r"), fclose);
    KrnRGB c{};
    if (!FindColorDatabaseName(f.get(), name, &c)) return "-";
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
  }
};

TEST_F(ColorDatabase, Lookups) {
  const std::string db =
      "! remark line 255 255 255\t\tgrey\n"
      "  1   2   3\t\tgrey40\n"
      "190 190 190\t\tgrey\n"
      "short\n"
      "\n"
      "105 105 105 DimGrey\n"
      "  0   0 255\t\tblue\r\n";
  EXPECT_EQ("1,2,3", Find(db, "grey"));  // first name that begins with it
  EXPECT_EQ("1,2,3", Find(db, "grey4"));
  EXPECT_EQ("105,105,105", Find(db, " \tDimGrey\t"));  // name trimmed
  EXPECT_EQ("-", Find(db, "dimgrey"));                 // case-sensitive
  EXPECT_EQ("0,0,255", Find(db, "blue"));
  EXPECT_EQ("-", Find(db, "remark"));
  EXPECT_EQ("-", Find(db, ""));
  EXPECT_EQ("-", Find(db, "  \t"));
  EXPECT_EQ("-", Find(db, "sho"));  // a line too short to hold a name
  EXPECT_EQ("1,2,3", Find(std::string(20000, '!') + "\n  1   2   3\t\tgrey\n", "grey"));
}

TEST_F(ColorDatabase, FirstReadableCandidateIsUsed) {
  std::string missing = dir_.file("none.txt"), present = dir_.file("rgb.txt");
  krntest::WriteFile(present, "  1   2   3\t\tgrey\n");
  const char* candidates[] = {missing.c_str(), present.c_str(), nullptr};
  const char* path = nullptr;
  FILE* f = OpenColorDatabase(candidates, &path);
  ASSERT_NE(nullptr, f);
  fclose(f);
  EXPECT_EQ(present, path);
  const char* none[] = {missing.c_str(), nullptr};
  EXPECT_EQ(nullptr, OpenColorDatabase(none, &path));
  EXPECT_EQ(missing, path);
}

TEST_F(ColorDatabase, SystemDatabaseIsFound) {
  // The traditional location is gone on current systems; one of the others
  // must be found where the X server's colour list is installed.
  const char* path = nullptr;
  FILE* f = OpenColorDatabase(kColorDatabases, &path);
  if (!f) GTEST_SKIP() << "no colour database installed";
  KrnRGB c{};
  EXPECT_EQ(1, FindColorDatabaseName(f, "DimGrey", &c));
  fclose(f);
  ExpectRGB({105, 105, 105}, c, path);
}

}  // namespace
