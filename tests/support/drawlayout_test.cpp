// Placement arithmetic of the drawing primitives without a server: which
// characters a mixed-code text draws and where (with fixed fake widths),
// and the push-button face.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/drawlayout.h"

namespace {

using namespace charcode;
using namespace drawlayout;

// Fake metrics: single bytes 7 pixels ("?" 9, so a substituted byte shows),
// two-byte characters 16.
int FakeSingle(void*, unsigned char b) {
  return b == '?' ? 9 : 7;
}
int FakePair(void*, unsigned char, unsigned char) {
  return 16;
}
const CharMeter kMeter{FakeSingle, FakePair, nullptr};

// What one placed character should be: x, the single byte or JIS row, and
// the JIS cell (-1 for a single byte).
struct Want {
  int x;
  int first;
  int second;
};

std::vector<Want> Placed(const std::vector<unsigned char>& text, int code, int x) {
  // An exact-size heap copy, so a read past the end is caught by ASan.
  std::unique_ptr<unsigned char[]> buf(new unsigned char[text.size() ? text.size() : 1]);
  std::copy(text.begin(), text.end(), buf.get());
  std::vector<Want> out;
  for (const PlacedGlyph& p : PlaceGlyphs(kMeter, buf.get(), int(text.size()), code, x)) {
    bool pair = p.glyph.kind == kGlyphPair;
    EXPECT_EQ(p.width, pair ? 16 : (p.glyph.first == '?' ? 9 : 7));
    out.push_back({p.x, p.glyph.first, pair ? p.glyph.second : -1});
  }
  return out;
}

bool operator==(const Want& a, const Want& b) {
  return a.x == b.x && a.first == b.first && a.second == b.second;
}

TEST(DrawLayoutText, CharactersAndPositionsPerCode) {
  const struct {
    const char* name;
    std::vector<unsigned char> text;
    int code;
    std::vector<Want> want;
  } cases[] = {
      {"ascii skips carriage return", {'a', '\r', 'b'}, kAscii, {{10, 'a', -1}, {17, 'b', -1}}},
      {"euc draws carriage return",
       {'a', '\r', 0xA4, 0xA2, 'b'},
       kEuc,
       {{10, 'a', -1}, {17, '\r', -1}, {24, 0x24, 0x22}, {40, 'b', -1}}},
      {"sjis pairs as jis, skips carriage return",
       {0x82, 0xA0, '\r', 0xB1, 0x8A, 0xBF},
       kSjis,
       {{10, 0x24, 0x22}, {26, 0xB1, -1}, {33, 0x34, 0x41}}},
      {"binary: all single, control bytes as ?",
       {'a', 0x01, 0xA4, 0xA2, '\r'},
       kBinary,
       {{10, 'a', -1}, {17, '?', -1}, {26, 0xA4, -1}, {33, 0xA2, -1}, {40, '\r', -1}}},
      {"euc lone lead byte dropped",
       {'a', 0xB4, 0xC1, 0xA4},
       kEuc,
       {{10, 'a', -1}, {17, 0x34, 0x41}}},
      {"sjis lone lead byte dropped", {'a', 0xE0}, kSjis, {{10, 'a', -1}}},
      {"only carriage returns", {'\r', '\r'}, kAscii, {}},
      {"empty", {}, kAscii, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Placed(c.text, c.code, 10), c.want) << c.name;
}

TEST(DrawLayoutText, PositionsAgreeWithTheMeasuredWidth) {
  // Without carriage returns the drawn run is exactly as wide as measured.
  const std::vector<unsigned char> text = {'K', 0xA4, 0xA2, 0xB4, 0xC1, '!', 0xA4};
  std::unique_ptr<unsigned char[]> buf(new unsigned char[text.size()]);
  std::copy(text.begin(), text.end(), buf.get());
  auto placed = PlaceGlyphs(kMeter, buf.get(), int(text.size()), kEuc, -5);
  ASSERT_FALSE(placed.empty());
  int end = placed.back().x + placed.back().width;
  EXPECT_EQ(end - (-5), MeasureBytes(kMeter, buf.get(), int(text.size()), kEuc));
  EXPECT_TRUE(PlaceGlyphs(kMeter, nullptr, 3, kEuc, 0).empty());
  EXPECT_TRUE(PlaceGlyphs(kMeter, buf.get(), -1, kEuc, 0).empty());
}

TEST(DrawLayoutButton, FacePlacement) {
  const struct {
    const char* name;
    ButtonInput in;
    bool fill, raised;
    int imageX, imageY, captionX, captionY;
  } cases[] = {
      // Pressed: image at x + 1 + (100 - (16 + 3 + 14)) / 2, caption 3 to its right.
      {"pressed image and caption",
       {5, 7, 100, 24, 14, 14, 16, 16, 1},
       true,
       false,
       39,
       12,
       58,
       13},
      {"up image and caption", {5, 7, 100, 24, 14, 14, 16, 16, 0}, false, true, 38, 11, 57, 12},
      // pressed 2: sunken but neither filled nor shifted.
      {"pressed 2", {5, 7, 100, 24, 14, 14, 16, 16, 2}, false, false, 38, 11, 57, 12},
      {"caption only", {0, 0, 50, 20, 20, 14, -1, 0, 0}, false, true, 15, 10, 15, 3},
      {"image only", {0, 0, 50, 20, 0, 14, 16, 16, 0}, false, true, 17, 2, 17, 3},
      // Content wider than the button: the division truncates toward zero.
      {"overhang", {0, 0, 10, 10, 15, 14, -1, 0, 0}, false, true, -2, 5, -2, -2},
  };
  for (const auto& c : cases) {
    ButtonFace f = ButtonFaceOf(c.in);
    EXPECT_EQ(f.fill, c.fill) << c.name;
    EXPECT_EQ(f.raised, c.raised) << c.name;
    if (c.in.imageWidth >= 0) {
      EXPECT_EQ(f.imageX, c.imageX) << c.name;
      EXPECT_EQ(f.imageY, c.imageY) << c.name;
    }
    EXPECT_EQ(f.captionX, c.captionX) << c.name;
    EXPECT_EQ(f.captionY, c.captionY) << c.name;
  }
}

}  // namespace
