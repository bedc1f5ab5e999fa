// Drawing primitives on a private 24-bit server, checked in pixels: 3-D
// edges, lines and clips, mixed-code text against the server's own
// XDrawString/XDrawString16 of the same fonts, opaque and transparent text,
// button faces, and the shared GCs left reset after every call.
#include <gtest/gtest.h>
#include <korrin.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/xmeasure.h"
#include "xharness.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

constexpr unsigned long kPaper = 0x102030, kInk = 0xF0E0D0, kBack = 0x00AA00, kRed = 0xFF0000,
                        kImg = 0x0000FF;
constexpr int kW = 200, kH = 60;

const char kSingleFont[] = "-misc-fixed-medium-r-normal--14-*-*-*-c-70-jisx0201.1976-0";
const char kKanjiFont[] = "-misc-fixed-medium-r-normal--14-*-*-*-c-140-jisx0208.1983-0";

using Bytes = std::vector<unsigned char>;

// One piece of a reference rendering: a single byte of the single-byte font
// or a JIS pair of the double-byte font.
struct Ref {
  bool pair;
  unsigned char first, second;
};

class Draw : public ::testing::Test {
 protected:
  void SetUp() override {
    dpy_ = krntest::Dpy();
    ASSERT_NE(dpy_, nullptr);
    savedFont_ = g_korrin.font;
    savedKanji_ = g_korrin.fontKanji;
    // While the settings hand out stand-in fonts, use the 14-pixel misc pair.
    if (!g_korrin.fontKanji || g_korrin.fontKanji->max_byte1 == 0) {
      loadedFont_ = XLoadQueryFont(dpy_, kSingleFont);
      loadedKanji_ = XLoadQueryFont(dpy_, kKanjiFont);
      ASSERT_TRUE(loadedFont_ && loadedKanji_) << "misc 14-pixel fonts missing";
      g_korrin.font = loadedFont_;
      g_korrin.fontKanji = loadedKanji_;
    }
    font_ = g_korrin.font;
    kanji_ = g_korrin.fontKanji;
    ASSERT_NE(kanji_->max_byte1, 0u);
    pix_ = NewPixmap();
    gc_ = XCreateGC(dpy_, pix_, 0, nullptr);
    Fill(pix_, kPaper);
  }
  void TearDown() override {
    for (Pixmap p : pixmaps_) XFreePixmap(dpy_, p);
    if (gc_) XFreeGC(dpy_, gc_);
    g_korrin.font = savedFont_;
    g_korrin.fontKanji = savedKanji_;
    if (loadedFont_) XFreeFont(dpy_, loadedFont_);
    if (loadedKanji_) XFreeFont(dpy_, loadedKanji_);
  }

  Pixmap NewPixmap() {
    Pixmap p = XCreatePixmap(dpy_, DefaultRootWindow(dpy_), kW, kH, DefaultDepth(dpy_, 0));
    pixmaps_.push_back(p);
    return p;
  }
  void Fill(Drawable d, unsigned long pixel) {
    XSetForeground(dpy_, gc_, pixel);
    XFillRectangle(dpy_, d, gc_, 0, 0, kW, kH);
  }
  std::vector<unsigned long> All(Drawable d) { return krntest::Pixels(d, 0, 0, kW, kH); }
  int Count(Drawable d, unsigned long pixel, int x, int y, int w, int h) {
    int n = 0;
    for (unsigned long p : krntest::Pixels(d, x, y, w, h)) n += p == pixel;
    return n;
  }
  int RowHeight() {
    return std::max(font_->ascent + font_->descent, kanji_->ascent + kanji_->descent);
  }
  int Width(const Bytes& b) { return krnFontNWidth(font_, kanji_, b.data(), int(b.size())); }

  // The server's own drawing of the pieces, one after another from x, the
  // row's top at y, on a fresh paper pixmap.
  Pixmap Reference(const std::vector<Ref>& pieces, int x, int y, unsigned long ink) {
    Pixmap p = NewPixmap();
    Fill(p, kPaper);
    XSetForeground(dpy_, gc_, ink);
    int base = y + std::max(font_->ascent, kanji_->ascent);
    for (const Ref& r : pieces) {
      if (r.pair) {
        XChar2b c{r.first, r.second};
        XSetFont(dpy_, gc_, kanji_->fid);
        XDrawString16(dpy_, p, gc_, x, base, &c, 1);
        x += XTextWidth16(kanji_, &c, 1);
      } else {
        char c = char(r.first);
        XSetFont(dpy_, gc_, font_->fid);
        XDrawString(dpy_, p, gc_, x, base, &c, 1);
        x += XTextWidth(font_, &c, 1);
      }
    }
    return p;
  }
  Pixmap Drawn(const Bytes& b, int x, int y, unsigned long background = KRN_TRANSPARENT) {
    Pixmap p = NewPixmap();
    Fill(p, kPaper);
    EXPECT_EQ(
        1, krnDrawNText(dpy_, p, font_, kanji_, kInk, background, x, y, b.data(), int(b.size())));
    return p;
  }

  Display* dpy_ = nullptr;
  Pixmap pix_ = 0;
  GC gc_ = nullptr;
  std::vector<Pixmap> pixmaps_;
  XFontStruct *font_ = nullptr, *kanji_ = nullptr;
  XFontStruct *savedFont_ = nullptr, *savedKanji_ = nullptr;
  XFontStruct *loadedFont_ = nullptr, *loadedKanji_ = nullptr;
};

unsigned long Light() {
  return g_korrin.setColors[KRN_SC_BACKLIGHT];
}
unsigned long Dark() {
  return g_korrin.setColors[KRN_SC_BACKDARK];
}

TEST_F(Draw, ThreeDRectangleEdges) {
  ASSERT_NE(Light(), Dark());
  for (int raised : {1, 0}) {
    Fill(pix_, kPaper);
    EXPECT_EQ(1, krnDraw3DRectangle(dpy_, pix_, krnSetRect(10, 10, 20, 5), raised));
    unsigned long top = raised ? Light() : Dark(), bottom = raised ? Dark() : Light();
    EXPECT_EQ(20, Count(pix_, top, 10, 10, 20, 1)) << "top edge y = 10, raised " << raised;
    EXPECT_EQ(5, Count(pix_, top, 10, 10, 1, 5)) << "left edge x = 10";
    EXPECT_EQ(21, Count(pix_, bottom, 10, 15, 21, 1)) << "bottom edge y = 15";
    EXPECT_EQ(6, Count(pix_, bottom, 30, 10, 1, 6)) << "right edge x = 30";
    EXPECT_EQ(19 * 4, Count(pix_, kPaper, 11, 11, 19, 4)) << "inside untouched";
    EXPECT_EQ(kPaper, krntest::Pixel(pix_, 31, 10));
    EXPECT_EQ(kPaper, krntest::Pixel(pix_, 10, 16));
  }
}

TEST_F(Draw, FrameTypes) {
  const KrnRect r = krnSetRect(5, 5, 30, 20);
  for (int type : {0, 4}) {
    EXPECT_EQ(1, krnDrawFrame(dpy_, pix_, r, type));
    EXPECT_EQ(kW * kH, Count(pix_, kPaper, 0, 0, kW, kH)) << "type " << type;
  }
  EXPECT_EQ(1, krnDrawFrame(dpy_, pix_, r, KRN_FRAME_PLAIN));
  unsigned long border = g_korrin.setColors[KRN_SC_BORDER];
  EXPECT_EQ(31, Count(pix_, border, 5, 5, 31, 1));
  EXPECT_EQ(21, Count(pix_, border, 35, 5, 1, 21));
  EXPECT_EQ(kPaper, krntest::Pixel(pix_, 20, 15));
  EXPECT_EQ(1, krnDrawFrame(dpy_, pix_, r, KRN_FRAME_RAISED));
  EXPECT_EQ(Light(), krntest::Pixel(pix_, 20, 5));
  EXPECT_EQ(1, krnDrawFrame(dpy_, pix_, r, KRN_FRAME_SUNKEN));
  EXPECT_EQ(Dark(), krntest::Pixel(pix_, 20, 5));
  EXPECT_EQ(Light(), krntest::Pixel(pix_, 20, 25));
}

TEST_F(Draw, LinesAndClipRectangles) {
  EXPECT_EQ(1, krnDrawLine(dpy_, pix_, kRed, krnSetRect(5, 20, 30, 0)));
  EXPECT_EQ(31, Count(pix_, kRed, 0, 20, kW, 1));
  EXPECT_EQ(1, krnDrawLine(dpy_, pix_, kRed, krnSetRect(150, 5, 0, 10)));
  EXPECT_EQ(11, Count(pix_, kRed, 150, 0, 1, kH));

  // Partly outside the clip: only the inside part.
  EXPECT_EQ(
      1, krnDrawLineRRg(dpy_, pix_, krnSetRect(40, 25, 20, 10), kRed, krnSetRect(0, 30, 190, 0)));
  EXPECT_EQ(20, Count(pix_, kRed, 0, 30, kW, 1));
  EXPECT_EQ(20, Count(pix_, kRed, 40, 30, 20, 1));
  // Wholly outside: nothing at all (no stray dot at the origin).
  Fill(pix_, kPaper);
  krnDrawLineRRg(dpy_, pix_, krnSetRect(0, 0, 50, 50), kRed, krnSetRect(100, 40, 20, 0));
  EXPECT_EQ(kW * kH, Count(pix_, kPaper, 0, 0, kW, kH));
  // A line on the clip's top row is kept whole.
  krnDrawLineRRg(dpy_, pix_, krnSetRect(0, 0, 50, 50), kRed, krnSetRect(10, 0, 20, 0));
  EXPECT_EQ(21, Count(pix_, kRed, 0, 0, kW, 1));

  Region region = XCreateRegion();
  XRectangle part = krnSetRect(100, 0, 10, kH);
  XUnionRectWithRegion(&part, region, region);
  Fill(pix_, kPaper);
  EXPECT_EQ(1, krnDrawLineRg(dpy_, pix_, region, kRed, krnSetRect(0, 40, 190, 0)));
  EXPECT_EQ(10, Count(pix_, kRed, 0, 40, kW, 1));
  XDestroyRegion(region);

  // No context: the border colour.
  Fill(pix_, kPaper);
  EXPECT_EQ(1, krnDrawLineEx(dpy_, pix_, nullptr, krnSetRect(10, 10, 40, 0)));
  EXPECT_GE(Count(pix_, g_korrin.setColors[KRN_SC_BORDER], 0, 10, kW, 1), 40);
  EXPECT_EQ(0, krnDrawLine(dpy_, 0, kRed, krnSetRect(0, 0, 5, 0)));
}

TEST_F(Draw, TwoByteCharactersUseTheDoubleByteFont) {
  // "a", hiragana A, kanji KAN, "b" in EUC-JP.
  const Bytes text = {'a', 0xA4, 0xA2, 0xB4, 0xC1, 'b'};
  Pixmap drawn = Drawn(text, 4, 5);
  Pixmap ref = Reference({{false, 'a', 0}, {true, 0x24, 0x22}, {true, 0x34, 0x41}, {false, 'b', 0}},
                         4, 5, kInk);
  EXPECT_EQ(All(ref), All(drawn));
  int a = XTextWidth(font_, "a", 1);
  EXPECT_GT(Count(drawn, kInk, 4 + a, 5, 2 * kanji_->max_bounds.width, RowHeight()), 20)
      << "the kanji cells hold ink";
  EXPECT_EQ(0, Count(drawn, kInk, 4 + Width(text), 0, kW - 4 - Width(text), kH))
      << "nothing past the measured width";
}

// Transparent text goes out in runs of one font; a long line (runs longer
// than one request's text item, single bytes and pairs alternating) lands
// glyph for glyph where the server puts each character drawn on its own,
// seen through the pixmap at every stretch of the line, and also where a
// lone character's x is cut to 16 bits.
TEST_F(Draw, LongMixedLinesMatchCharacterByCharacter) {
  Bytes text;
  std::vector<Ref> pieces;
  auto single = [&](unsigned char c) {
    text.push_back(c);
    pieces.push_back({false, c, 0});
  };
  auto pair = [&](unsigned char row, unsigned char cell) {
    text.insert(text.end(),
                {static_cast<unsigned char>(row | 0x80), static_cast<unsigned char>(cell | 0x80)});
    pieces.push_back({true, row, cell});
  };
  for (int i = 0; i < 300; i++) single(static_cast<unsigned char>('a' + i % 26));
  for (int i = 0; i < 60; i++) {
    pair(0x24, static_cast<unsigned char>(0x22 + i % 80));
    if (i % 3) pair(0x34, 0x41);
    single(i % 2 ? ' ' : 'Q');
  }
  for (int i = 0; i < 270; i++) pair(static_cast<unsigned char>(0x30 + i % 16), 0x21 + i % 90);
  const int width = Width(text);
  std::vector<int> starts = {65536 - 100, 32768 - 100};
  for (int x = 4; x + width > 0; x -= kW - 20) starts.push_back(x);
  for (int x : starts) {
    ASSERT_EQ(All(Reference(pieces, x, 7, kInk)), All(Drawn(text, x, 7))) << "from x " << x;
  }
}

// Rows drawn through one set-up of the text GCs show what the same rows
// drawn one call each show (tabs, both fonts, the clip), and the shared
// GCs are left reset.
TEST_F(Draw, TextRowsMatchOneCallPerRow) {
  const Bytes rows[] = {{'a', '\t', 0xA4, 0xA2, 'b', 0xB4, 0xC1},
                        {'\t', 'x', 'y', 'z'},
                        {0xB4, 0xC1, 0xB4, 0xC1, 'W', 'W', 'W', 'W', 'W', 'W', 'W', 'W', 'W'}};
  const KrnRect clip = krnSetRect(4, 2, 90, 40);
  Pixmap one = NewPixmap(), batched = NewPixmap();
  Fill(one, kPaper);
  Fill(batched, kPaper);
  XFontStruct *savedFont = g_korrin.font, *savedKanji = g_korrin.fontKanji;
  g_korrin.font = font_;
  g_korrin.fontKanji = kanji_;
  for (int i = 0; i < 3; i++)
    EXPECT_EQ(1, krnx::DrawTabbedText(dpy_, one, clip, kInk, KRN_TRANSPARENT, 4 + 3 * i,
                                      2 + i * RowHeight(), rows[i].data(), int(rows[i].size()), 4));
  {
    krnx::TextRows text(dpy_, batched, clip, kInk);
    for (int i = 0; i < 3; i++)
      EXPECT_EQ(1,
                text.Draw(4 + 3 * i, 2 + i * RowHeight(), rows[i].data(), int(rows[i].size()), 4));
  }
  g_korrin.font = savedFont;
  g_korrin.fontKanji = savedKanji;
  EXPECT_EQ(All(one), All(batched));
  EXPECT_GT(Count(batched, kInk, 0, 0, kW, kH), 0);
  EXPECT_EQ(0, Count(batched, kInk, 94, 0, kW - 94, kH)) << "clipped";
  for (GC shared : {g_korrin.gcText, g_korrin.gcTextKanji}) {
    Fill(pix_, kPaper);
    XSetForeground(dpy_, shared, kImg);
    XFillRectangle(dpy_, pix_, shared, 0, 0, kW, kH);
    krnResetGC(shared);
    EXPECT_EQ(kW * kH, Count(pix_, kImg, 0, 0, kW, kH)) << "no clip left";
  }
}

TEST_F(Draw, CarriageReturnAndControlBytesByCode) {
  // ASCII: a carriage return takes no room.
  EXPECT_EQ(All(Drawn({'a', 'b'}, 3, 3)), All(Drawn({'a', '\r', 'b'}, 3, 3)));
  // EUC-JP: it is a single-byte character.
  EXPECT_EQ(All(Reference({{false, 'a', 0}, {false, '\r', 0}, {true, 0x24, 0x22}}, 3, 3, kInk)),
            All(Drawn({'a', '\r', 0xA4, 0xA2}, 3, 3)));
  // Binary (byte 0x01): everything single-byte, the control byte as "?".
  EXPECT_EQ(All(Reference({{false, 'a', 0}, {false, '?', 0}, {false, 0xA4, 0}, {false, 0xA2, 0}}, 3,
                          3, kInk)),
            All(Drawn({'a', 0x01, 0xA4, 0xA2}, 3, 3)));
  // A lead byte in the last position draws nothing.
  EXPECT_EQ(All(Drawn({'a'}, 3, 3)), All(Drawn({'a', 0xA4}, 3, 3)));
}

TEST_F(Draw, OpaqueAndTransparentBackgrounds) {
  const Bytes text = {'A', 0xA4, 0xA2};
  const int w = Width(text), h = RowHeight();
  for (unsigned long back : {kBack, 0ul}) {
    Pixmap p = Drawn(text, 10, 10, back);
    int ink = Count(p, kInk, 10, 10, w, h), filled = Count(p, back, 10, 10, w, h);
    EXPECT_GT(ink, 0);
    EXPECT_EQ(w * h, ink + filled) << "every cell pixel is glyph or background " << back;
    EXPECT_EQ(kW * kH - w * h, Count(p, kPaper, 0, 0, kW, kH)) << "nothing outside the cells";
  }
  Pixmap p = Drawn(text, 10, 10);
  int ink = Count(p, kInk, 10, 10, w, h);
  EXPECT_GT(ink, 0);
  EXPECT_EQ(kW * kH - ink, Count(p, kPaper, 0, 0, kW, kH)) << "transparent keeps the paper";
}

TEST_F(Draw, ClipCutsText) {
  const Bytes text = {'W', 'W', 0xB4, 0xC1, 0xB4, 0xC1, 'W'};
  const int x0 = 20, cut = 20 + Width(text) / 2;
  std::vector<unsigned long> full = All(Drawn(text, x0, 8));
  ASSERT_GT(Count(pixmaps_.back(), kInk, cut, 0, kW - cut, kH), 0);

  Region region = XCreateRegion();
  XRectangle left = krnSetRect(0, 0, cut, kH);
  XUnionRectWithRegion(&left, region, region);
  for (int form = 0; form < 2; form++) {
    Pixmap p = NewPixmap();
    Fill(p, kPaper);
    if (form == 0)
      EXPECT_EQ(1, krnDrawNTextRRg(dpy_, p, left, font_, kanji_, kInk, KRN_TRANSPARENT, x0, 8,
                                   text.data(), int(text.size())));
    else
      EXPECT_EQ(1, krnDrawNTextRg(dpy_, p, region, font_, kanji_, kInk, KRN_TRANSPARENT, x0, 8,
                                  text.data(), int(text.size())));
    std::vector<unsigned long> got = All(p);
    for (int y = 0; y < kH; y++)
      for (int x = 0; x < kW; x++)
        ASSERT_EQ(got[y * kW + x], x < cut ? full[y * kW + x] : kPaper)
            << "form " << form << " at " << x << "," << y;
  }
  XDestroyRegion(region);
}

TEST_F(Draw, WorkerWithAndWithoutContext) {
  const Bytes text = {'K', 0xA4, 0xA2};
  EXPECT_EQ(0, krnDrawTextEx(dpy_, pix_, nullptr, font_, kanji_, 0, 0, text.data(), 0));
  EXPECT_EQ(0, krnDrawTextEx(dpy_, pix_, nullptr, font_, kanji_, 0, 0, nullptr, 3));
  EXPECT_EQ(0, krnDrawTextEx(dpy_, 0, nullptr, font_, kanji_, 0, 0, text.data(), 3));
  EXPECT_EQ(kW * kH, Count(pix_, kPaper, 0, 0, kW, kH));

  // No context: transparent, font colour, and the fonts given.
  unsigned long fontColor = g_korrin.setColors[KRN_SC_FONT];
  EXPECT_EQ(1, krnDrawTextEx(dpy_, pix_, nullptr, font_, kanji_, 6, 6, text.data(), 3));
  EXPECT_EQ(All(Reference({{false, 'K', 0}, {true, 0x24, 0x22}}, 6, 6, fontColor)), All(pix_));

  // A caller's context: its clip and colours carry over; exposures off
  // means opaque with its background; the context itself is not changed.
  GC own = XCreateGC(dpy_, pix_, 0, nullptr);
  XSetForeground(dpy_, own, kInk);
  XSetBackground(dpy_, own, kBack);
  XSetGraphicsExposures(dpy_, own, False);
  XRectangle clip = krnSetRect(0, 0, 12, kH);
  XSetClipRectangles(dpy_, own, 0, 0, &clip, 1, Unsorted);
  Fill(pix_, kPaper);
  EXPECT_EQ(1, krnDrawTextEx(dpy_, pix_, own, font_, kanji_, 6, 6, text.data(), 3));
  EXPECT_EQ(6 * RowHeight(),
            Count(pix_, kBack, 6, 6, 6, RowHeight()) + Count(pix_, kInk, 6, 6, 6, RowHeight()));
  EXPECT_EQ(kW * kH - 6 * RowHeight(), Count(pix_, kPaper, 0, 0, kW, kH));
  XGCValues v;
  XGetGCValues(dpy_, own, GCForeground | GCBackground | GCGraphicsExposures, &v);
  EXPECT_EQ(kInk, v.foreground);
  EXPECT_EQ(kBack, v.background);
  EXPECT_FALSE(v.graphics_exposures);
  XFreeGC(dpy_, own);
}

TEST_F(Draw, PrintUsesSessionFontsAndColour) {
  EXPECT_EQ(1, krnPrint(pix_, 2, 2, "A\xA4\xA2"));
  EXPECT_EQ(
      All(Reference({{false, 'A', 0}, {true, 0x24, 0x22}}, 2, 2, g_korrin.setColors[KRN_SC_FONT])),
      All(pix_));
  EXPECT_EQ(0, krnPrint(pix_, 2, 2, ""));
}

TEST_F(Draw, SharedGCsAreLeftReset) {
  XRectangle box = krnSetRect(0, 0, 3, 3);
  Region region = XCreateRegion();
  XUnionRectWithRegion(&box, region, region);
  GC clipped = XCreateGC(dpy_, pix_, 0, nullptr);
  XSetClipRectangles(dpy_, clipped, 0, 0, &box, 1, Unsorted);
  XSetGraphicsExposures(dpy_, clipped, False);
  const Bytes text = {'x', 0xA4, 0xA2};
  const struct {
    const char* name;
    std::function<void()> call;
  } calls[] = {
      {"text RRg",
       [&] { krnDrawNTextRRg(dpy_, pix_, box, font_, kanji_, kRed, kBack, 0, 0, text.data(), 3); }},
      {"text Rg",
       [&] {
         krnDrawNTextRg(dpy_, pix_, region, font_, kanji_, kRed, kBack, 0, 0, text.data(), 3);
       }},
      {"empty text RRg",
       [&] { krnDrawNTextRRg(dpy_, pix_, box, font_, kanji_, kRed, kBack, 0, 0, text.data(), 0); }},
      {"worker with clipped context",
       [&] { krnDrawTextEx(dpy_, pix_, clipped, font_, kanji_, 0, 0, text.data(), 3); }},
      {"line RRg", [&] { krnDrawLineRRg(dpy_, pix_, box, kRed, krnSetRect(0, 1, 50, 0)); }},
      {"line Rg", [&] { krnDrawLineRg(dpy_, pix_, region, kRed, krnSetRect(0, 1, 50, 0)); }},
      {"button", [&] { krnDrawButton(dpy_, pix_, krnSetRect(2, 2, 60, 20), "Ok", nullptr, 1); }},
  };
  XGCValues base;
  const unsigned long mask =
      GCFunction | GCForeground | GCBackground | GCLineWidth | GCGraphicsExposures | GCFont;
  XGetGCValues(dpy_, g_korrin.gc, mask, &base);
  for (const auto& c : calls) {
    c.call();
    for (GC shared : {g_korrin.gcFill, g_korrin.gcText, g_korrin.gcTextKanji}) {
      XGCValues v;
      XGetGCValues(dpy_, shared, mask, &v);
      EXPECT_EQ(base.foreground, v.foreground) << c.name;
      EXPECT_EQ(base.background, v.background) << c.name;
      EXPECT_EQ(base.function, v.function) << c.name;
      EXPECT_EQ(base.line_width, v.line_width) << c.name;
      EXPECT_EQ(base.graphics_exposures, v.graphics_exposures) << c.name;
      // No clip left: a full fill reaches every corner.
      Fill(pix_, kPaper);
      XSetForeground(dpy_, shared, kImg);
      XFillRectangle(dpy_, pix_, shared, 0, 0, kW, kH);
      krnResetGC(shared);
      EXPECT_EQ(kW * kH, Count(pix_, kImg, 0, 0, kW, kH)) << c.name;
    }
  }
  XFreeGC(dpy_, clipped);
  XDestroyRegion(region);
}

// A 16 x 16 image of one colour, without mask.
struct SolidImage {
  explicit SolidImage(Display* dpy) : dpy(dpy) {
    image.pixmap = XCreatePixmap(dpy, DefaultRootWindow(dpy), 16, 16, DefaultDepth(dpy, 0));
    image.gc = XCreateGC(dpy, image.pixmap, 0, nullptr);
    XSetForeground(dpy, image.gc, kImg);
    XFillRectangle(dpy, image.pixmap, image.gc, 0, 0, 16, 16);
    image.mask = 0;
    image.width = image.height = 16;
    image.format = KRN_IMAGE_XPM;
  }
  ~SolidImage() {
    XFreeGC(dpy, image.gc);
    XFreePixmap(dpy, image.pixmap);
  }
  Display* dpy;
  KrnImage image{};
};

TEST_F(Draw, ButtonFaces) {
  SolidImage img(dpy_);
  const KrnRect r = krnSetRect(10, 10, 100, 24);
  const int content = 16 + 3 + krnTextWidth((const unsigned char*)"OK");
  const unsigned long face = g_korrin.setColors[KRN_SC_BACKFACE];
  const struct {
    int pressed;
    int shift;
    bool filled;
    unsigned long top;
  } cases[] = {{1, 1, true, Dark()}, {0, 0, false, Light()}, {2, 0, false, Dark()}};
  for (const auto& c : cases) {
    Fill(pix_, kPaper);
    EXPECT_EQ(1, krnDrawButton(dpy_, pix_, r, "OK", &img.image, c.pressed));
    int ix = 10 + c.shift + (100 - content) / 2, iy = 10 + c.shift + (24 - 16) / 2;
    EXPECT_EQ(256, Count(pix_, kImg, 0, 0, kW, kH)) << "pressed " << c.pressed;
    EXPECT_EQ(256, Count(pix_, kImg, ix, iy, 16, 16)) << "pressed " << c.pressed;
    EXPECT_EQ(c.filled ? face : kPaper, krntest::Pixel(pix_, 12, 12)) << "pressed " << c.pressed;
    EXPECT_EQ(c.top, krntest::Pixel(pix_, 50, 10)) << "pressed " << c.pressed;
    EXPECT_GT(Count(pix_, g_korrin.setColors[KRN_SC_FONT], ix + 19, 11, 30, 23), 0)
        << "caption right of the image";
  }
  Fill(pix_, kPaper);
  EXPECT_EQ(1, krnDrawIconButton(dpy_, pix_, r, &img.image, 1));
  EXPECT_EQ(256, Count(pix_, kImg, 11, 11, 16, 16));
  EXPECT_EQ(face, krntest::Pixel(pix_, 50, 20));
  Fill(pix_, kPaper);
  EXPECT_EQ(1, krnDrawIconButton(dpy_, pix_, r, &img.image, 0));
  EXPECT_EQ(256, Count(pix_, kImg, 10, 10, 16, 16) + 16 + 15);  // edges drawn over the image
  EXPECT_EQ(kPaper, krntest::Pixel(pix_, 50, 20));
}

// A window with buttons, frames and Japanese text.  With KRN_SCREENSHOT set
// to a file name the screen is saved there for a look.
TEST_F(Draw, ShowcaseWindow) {
  Window win = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 320, 140, 0, 0,
                                   g_korrin.setColors[KRN_SC_BACK]);
  XMapWindow(dpy_, win);
  ASSERT_TRUE(krntest::WaitMapped(win));
  XClearWindow(dpy_, win);
  SolidImage img(dpy_);
  krnDrawButton(dpy_, win, krnSetRect(10, 10, 90, 24), "OK", &img.image, 0);
  krnDrawButton(dpy_, win, krnSetRect(110, 10, 90, 24), "\xBC\xE8\xBE\xC3", nullptr, 1);
  krnDrawIconButton(dpy_, win, krnSetRect(210, 10, 20, 20), &img.image, 0);
  krnDrawFrame(dpy_, win, krnSetRect(10, 45, 300, 40), KRN_FRAME_SUNKEN);
  const char* memo = "Korrin \xA5\xE1\xA5\xE2\xC4\xA2 \xC6\xFC\xCB\xDC\xB8\xEC";
  krnDrawText(dpy_, win, nullptr, nullptr, g_korrin.setColors[KRN_SC_FONT],
              g_korrin.setColors[KRN_SC_PAPER], 16, 52, (const unsigned char*)memo);
  krnDrawFrame(dpy_, win, krnSetRect(10, 95, 300, 35), KRN_FRAME_PLAIN);
  krnPrint(win, 16, 105, "\xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF, world");
  krnDrawLine(dpy_, win, kRed, krnSetRect(10, 90, 300, 0));
  XSync(dpy_, False);
  EXPECT_EQ(kRed, krntest::Pixel(win, 150, 90));
  EXPECT_EQ(Light(), krntest::Pixel(win, 50, 10));
  if (const char* shot = getenv("KRN_SCREENSHOT")) {
    int status = -1;
    krntest::Run(std::string("import -window root '") + shot + "'", &status);
    EXPECT_EQ(0, status);
  }
  XDestroyWindow(dpy_, win);
}

}  // namespace
