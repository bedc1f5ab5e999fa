// The real quelmo binary opening a text with tabs on a private server: what
// follows a tab stands on the next stop of eight space widths, whatever
// stands before the tab on its row (nothing, letters, a kanji), read back
// from the screen by a second client.
#include <xdriver.h>
#include <xharness.h>
#include <xquelmo.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <set>
#include <cstring>
#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, false);

namespace {

// The session's default fonts, loaded by the same names from the same
// server: they give the space width and the row height the editor uses.
struct Fonts {
  XFontStruct* single = nullptr;
  XFontStruct* kanji = nullptr;
  explicit Fonts(Display* d)
      : single(XLoadQueryFont(d, "-misc-*-*-*-*-*-14-*-*-*-*-*-jisx0201.1976-0")),
        kanji(XLoadQueryFont(d, "-misc-*-*-*-*-*-14-*-*-*-*-*-*-0")) {}
  int RowHeight() const {
    int h = single->ascent + single->descent;
    return kanji ? std::max(h, kanji->ascent + kanji->descent) : h;
  }
  int Width(const char* s) const { return XTextWidth(single, s, static_cast<int>(strlen(s))); }
};

TEST(QuelmoTabs, TextAfterATabStandsOnTheNextStopOfItsRow) {
  krntest::TempDir dir;
  // "X" after a tab at the start, after two letters and after a kanji
  krntest::WriteFile(dir.file("tabs.c"), "\tX\nab\tX\n\xb4\xc1\tX\n");
  krntest::Quelmo q(dir, {"tabs.c"});
  krntest::Driver drv;
  drv.d = XOpenDisplay(krntest::DisplayName().c_str());
  ASSERT_NE(drv.d, nullptr);
  Fonts fonts(drv.d);
  ASSERT_NE(fonts.single, nullptr);
  Window main = drv.MainWindow();
  ASSERT_NE(main, 0u);
  Window box = drv.Child(main, "InputBox");
  Window editor = drv.Child(box, "krnInputMltWnd_InputBox");
  ASSERT_NE(editor, 0u);
  int stop = 8 * fonts.Width(" "), h = fonts.RowHeight(), x = fonts.Width("X");
  auto cell = [&](int row) { return drv.Pixels(editor, 4 + stop, 2 + row * h, x, h); };
  auto inked = [&](const std::vector<unsigned long>& p) {
    return std::set<unsigned long>(p.begin(), p.end()).size() > 1;
  };
  ASSERT_TRUE(drv.Until([&] { return inked(cell(0)) && inked(cell(2)); }))
      << "no glyph on the first stop";
  EXPECT_EQ(cell(1), cell(0));
  EXPECT_EQ(cell(2), cell(0));
  // left of the stop, behind what precedes the tab, the rows are blank
  for (int row = 0; row < 3; row++) {
    std::vector<unsigned long> gap = drv.Pixels(editor, 4 + stop - 6, 2 + row * h, 6, h);
    EXPECT_FALSE(inked(gap)) << "row " << row;
  }
  XFreeFont(drv.d, fonts.single);
  if (fonts.kanji) XFreeFont(drv.d, fonts.kanji);
  drv.Close(main);
  EXPECT_EQ(q.ExitStatus(10000), 0);
  XCloseDisplay(drv.d);
}

}  // namespace
