// The single-line input window on a private X server: real keys and clicks
// through XTEST, an EUC-JP text whose two-byte characters are never split,
// horizontal scrolling that keeps the caret bar on the screen, the full
// buffer refusing typed text, the painted caret and selection, and the
// public operations.
#include <xharness.h>

#include <X11/keysym.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <string.h>

#include <string>

#include "controls/inputwnd_model.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pixel;
using krntest::Pump;
using krntest::PumpUntil;

const std::string K = "\xB4\xC1";  // kanji, EUC-JP

class Field : public ::testing::Test {
 protected:
  KrnWindow* frame = nullptr;
  KrnWindow* w = nullptr;

  void Make(const char* text, int width = 200) {
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 300, 60), 0, "frame", nullptr);
    w = krnCreateWindow_InputWnd(Dpy(), frame, krnSetRect(10, 10, width, 24), "field", text, 0);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(krntest::WaitMapped(w->win));
    XSetInputFocus(Dpy(), w->win, RevertToParent, CurrentTime);
    Pump();
    Pump();
  }
  void TearDown() override {
    if (frame) krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  InputWndData* D() const { return static_cast<InputWndData*>(w->option); }
  std::string Text() const { return krnGetText_InputWnd(w); }
  int Width(int from, int to) const {
    return krnTextNWidth(reinterpret_cast<const unsigned char*>(D()->text + from), to - from);
  }
  int CaretX() const { return iw::Margin(D()) + Width(D()->firstVisible, D()->caret); }
  int RowTop() const { return (w->rect.height - krnGetCharHeight(nullptr)) / 2; }
  unsigned long CaretPixel() const {
    int r, g, b;
    krnGetRGB(Dpy(), g_korrin.colormap, w->backColor, &r, &g, &b);
    return krnGetAlterColor(Dpy(), g_korrin.colormap, r, g, b, KRN_SHADE_CONTRAST);
  }
};

#ifdef KRN_HAVE_XTEST
void Press(KeySym sym, bool shift = false) {
  KeyCode shiftCode = XKeysymToKeycode(Dpy(), XK_Shift_L);
  KeyCode code = XKeysymToKeycode(Dpy(), sym);
  if (shift) XTestFakeKeyEvent(Dpy(), shiftCode, True, 0);
  XTestFakeKeyEvent(Dpy(), code, True, 0);
  XTestFakeKeyEvent(Dpy(), code, False, 0);
  if (shift) XTestFakeKeyEvent(Dpy(), shiftCode, False, 0);
  XSync(Dpy(), False);
}
#define REQUIRE_XTEST()
#else
#define REQUIRE_XTEST() GTEST_SKIP() << "built without XTEST"
void Press(KeySym, bool = false) {}
#endif

TEST_F(Field, KeysNeverSplitATwoByteCharacter) {
  REQUIRE_XTEST();
  Make(("a" + K + K + "b").c_str());
  Press(XK_End);
  Press(XK_Left);
  Press(XK_Left);  // over the second K: two bytes
  ASSERT_TRUE(PumpUntil([&] { return D()->caret == 3; })) << D()->caret;
  Press(XK_Left, true);  // selects the first K whole
  ASSERT_TRUE(PumpUntil([&] { return D()->selectLen == -2; }));
  EXPECT_EQ(std::string(krnGetSelectText_InputWnd(w)), K);
  Press(XK_Right);  // drops the selection, steps over the second K
  Press(XK_BackSpace);
  ASSERT_TRUE(PumpUntil([&] { return Text() == "a" + K + "b"; })) << Text();
  Press(XK_Home);
  Press(XK_Right);
  Press(XK_Delete);
  ASSERT_TRUE(PumpUntil([&] { return Text() == "ab"; })) << Text();
  Press(XK_x);
  Press(XK_Tab);     // not typed here
  Press(XK_Return);  // left to the owner
  ASSERT_TRUE(PumpUntil([&] { return Text() == "axb"; })) << Text();
  Pump();
  EXPECT_EQ(Text(), "axb");
}

TEST_F(Field, TypingScrollsTheFieldAndTheCaretStaysOnTheScreen) {
  REQUIRE_XTEST();
  Make("", 60);
  for (int i = 0; i < 20; i++) Press(XK_m);
  ASSERT_TRUE(PumpUntil([&] { return Text().size() == 20; }));
  Pump();
  EXPECT_GT(D()->firstVisible, 0);
  EXPECT_EQ(iw::Margin(D()), 2);
  int x = CaretX();
  ASSERT_LE(x + 1, 60 - 4);
  EXPECT_EQ(Pixel(w->win, x, RowTop() + 3), CaretPixel());
  EXPECT_EQ(Pixel(w->win, x + 1, RowTop() + 3), CaretPixel());
  Press(XK_Home);
  ASSERT_TRUE(PumpUntil([&] { return D()->firstVisible == 0; }));
  Pump();
  EXPECT_EQ(Pixel(w->win, 4, RowTop() + 3), CaretPixel());
}

TEST_F(Field, AFullBufferRefusesTypedTextWithoutWritingPastIt) {
  REQUIRE_XTEST();
  std::string full(1023, 'q');
  Make(full.c_str());
  EXPECT_EQ(krnSetText_InputWnd(w, (full + "qq").c_str()), -1);  // 1025: refused
  krnSetCaretPos_InputWnd(w, 500);
  Press(XK_a);
  Press(XK_b, true);
  Pump();
  Pump();
  EXPECT_EQ(Text(), full);
  EXPECT_EQ(krnAddText_InputWnd(w, "zz"), -1);  // in the middle: refused
  krnSetCaretPos_InputWnd(w, -1);
  EXPECT_EQ(krnAddText_InputWnd(w, "zz"), 1024);  // at the end: filled to 1024
  EXPECT_EQ(Text(), full + "z");
  EXPECT_EQ(D()->text[1024], '\0');
  EXPECT_EQ(D()->selectText[0], '\0');
}

TEST_F(Field, TheSelectionIsDrawnReversed) {
  Make("hello world");
  ASSERT_EQ(krnSetSelectText_InputWnd(w, 6, -1), 1);
  EXPECT_STREQ(krnGetSelectText_InputWnd(w), "world");
  XSync(Dpy(), False);
  int x0 = 4 + Width(0, 6), x1 = 4 + Width(0, 11), band = 0, total = 0;
  for (unsigned long p : krntest::Pixels(w->win, x0, RowTop(), x1 - x0, 10)) {
    EXPECT_TRUE(p == w->foreFontColor || p == w->backFontColor);
    band += p == w->foreFontColor;
    total++;
  }
  EXPECT_GT(band, total / 2);
  for (unsigned long p : krntest::Pixels(w->win, 2, 2, w->rect.width - 4, 20))
    ASSERT_NE(p, CaretPixel());  // no caret with a selection
}

// A tab reaches the next stop of eight space widths counted from the start
// of the text, also when the field is scrolled; the caret stands on it.
TEST_F(Field, TabsReachTheStopsCountedFromTheTextsStart) {
  Make("a\tb", 120);
  char space = ' ';
  int stop = 8 * XTextWidth(g_korrin.font, &space, 1), h = krnGetCharHeight(nullptr);
  auto glyphAt = [&](char c, int x) {
    std::vector<unsigned long> want =
        krntest::GlyphPixels(w->win, c, w->foreFontColor, w->backColor, h);
    EXPECT_EQ(krntest::Pixels(w->win, x, RowTop(), static_cast<int>(want.size()) / h, h), want)
        << c;
  };
  glyphAt('b', 4 + stop);
  EXPECT_EQ(Pixel(w->win, 4 + stop - 1, RowTop() + 2), w->backColor);  // the tab is blank
  krnSetCaretPos_InputWnd(w, 2);
  XSync(Dpy(), False);
  EXPECT_EQ(Pixel(w->win, 4 + stop + 1, RowTop() + 2), CaretPixel());
  std::string letters = "abcdefghijklmnopqrstuvwxyz";
  krnSetText_InputWnd(w, (letters + "\tZ").c_str());
  krnSetCaretPos_InputWnd(w, -1);  // at the end: scrolled
  XSync(Dpy(), False);
  ASSERT_GT(D()->firstVisible, 0);
  int lettersWidth = Width(0, 26), tabEnd = (lettersWidth / stop + 1) * stop;
  glyphAt('Z', 2 - Width(0, D()->firstVisible) + tabEnd);
}

TEST_F(Field, DraggingPastTheLeftEdgeScrollsBack) {
  REQUIRE_XTEST();
  Make("", 80);
  krnSetText_InputWnd(w, "0123456789abcdefghijklmnopqrstuvwxyz");
  krnSetCaretPos_InputWnd(w, -1);
  Pump();
  int first = D()->firstVisible;
  ASSERT_GT(first, 5);
#ifdef KRN_HAVE_XTEST
  XTestFakeMotionEvent(Dpy(), 0, 10 + 40, 20, 0);
  XTestFakeButtonEvent(Dpy(), 1, True, 0);
  for (int i = 0; i < 4; i++) XTestFakeMotionEvent(Dpy(), 0, 10 - 5 - i, 20, 0);
  XTestFakeButtonEvent(Dpy(), 1, False, 0);
  XSync(Dpy(), False);
#endif
  ASSERT_TRUE(PumpUntil([&] { return D()->buttonDown == 0 && D()->selectLen < 0; }));
  EXPECT_EQ(D()->firstVisible, first - 4);
  EXPECT_EQ(D()->caret + D()->selectLen, D()->firstVisible + 1);
}

TEST_F(Field, CutPasteForeignKeysAndOtherKinds) {
  Make("abc def");
  krnSetSelectText_InputWnd(w, 0, 4);
  EXPECT_EQ(krnCutText_InputWnd(w), 1);
  krnSetCaretPos_InputWnd(w, -1);
  EXPECT_EQ(krnPasteText_InputWnd(w, nullptr), 1);
  EXPECT_EQ(Text(), "defabc ");
  XEvent key = krntest::KeyEvent(frame->win, XK_y, 0, 1000);  // another window's key
  WndProc_InputWnd(Dpy(), w, &key);
  EXPECT_EQ(Text(), "defabc ");
  D()->foreignKeys = 1;
  key.xkey.time = 2000;
  WndProc_InputWnd(Dpy(), w, &key);
  EXPECT_EQ(Text(), "defabc y");
  EXPECT_EQ(krnSetText_InputWnd(frame, "x"), -1);
  EXPECT_EQ(krnGetText_InputWnd(frame), nullptr);
  EXPECT_EQ(krnSetCaretPos_InputWnd(nullptr, 1), 0);
}

}  // namespace
