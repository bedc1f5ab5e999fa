// The text window and the text box on a private X server: wrapping at the
// window's width and after a resize, scrolling by copying against a full
// repaint, the outline, and a text box whose text follows its scroll bar
// under real clicks (XTEST), auto-repeat included.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

#include "controls/scrollbar_model.h"
#include "controls/textwnd_model.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pixels;
using krntest::Pump;
using krntest::PumpUntil;

const std::string K = "\xB4\xC1";  // a kanji in EUC-JP

// Numbered lines of varying widths, some long enough to wrap.
std::string Lines(int n) {
  std::string text;
  for (int i = 0; i < n; i++)
    text += "line " + std::to_string(i) + std::string(i % 7 * 3, 'x') + (i % 5 ? "" : K + K) + "\n";
  return text;
}

TextWndData* DataOf(KrnWindow* w) {
  return static_cast<TextWndData*>(w->option);
}

class TextWnd : public ::testing::Test {
 protected:
  KrnWindow* frame = nullptr;
  int h = krnGetCharHeight(nullptr);

  void SetUp() override {
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 400, 400), 0, "frame", nullptr);
    ASSERT_TRUE(krntest::WaitMapped(frame->win));
  }
  void TearDown() override {
    krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  KrnWindow* Make(const std::string& text, int width, int height) {
    KrnWindow* w = krnCreateWindow_TextWnd(Dpy(), frame, krnSetRect(0, 0, width, height), "text",
                                           text.data(), static_cast<int>(text.size()));
    EXPECT_NE(w, nullptr);
    if (w) {
      EXPECT_TRUE(krntest::WaitMapped(w->win));
    }
    Pump();
    return w;
  }
  static std::vector<unsigned long> Screen(KrnWindow* w) {
    XSync(Dpy(), False);
    return Pixels(w->win, 0, 0, w->rect.width, w->rect.height);
  }
};

// The lines put back together give the text, and none is wider than the
// window allows (a line only reaches the limit when it was wrapped).
void ExpectWrappedAt(KrnWindow* w, const std::string& text) {
  TextWndData* d = DataOf(w);
  std::string joined;
  for (int i = 0; i < d->nLines; i++) {
    const TextWndLine* l = twnd::Line(d, i);
    joined.append(l->lineText, l->lineLength);
    int measured = krnTextNWidth(reinterpret_cast<const unsigned char*>(l->lineText),
                                 l->lineLength - (l->lineText[l->lineLength - 1] == '\n'));
    EXPECT_LT(measured, w->rect.width - 5) << i;
  }
  EXPECT_EQ(joined, text);
}

TEST_F(TextWnd, WrapsAtItsWidthAndAgainAfterAResize) {
  std::string text = Lines(12);
  KrnWindow* w = Make(text, 120, 100);
  ExpectWrappedAt(w, text);
  int narrow = krnGetLines_TextWnd(w);
  EXPECT_GT(narrow, 12);
  krnSetPos_TextWnd(w, 5);
  XResizeWindow(Dpy(), w->win, 390, 390);  // taller than the text needs: back to the top
  ASSERT_TRUE(PumpUntil([&] { return w->rect.width == 390; }));
  ExpectWrappedAt(w, text);
  EXPECT_EQ(krnGetLines_TextWnd(w), 12);
  EXPECT_EQ(krnGetPos_TextWnd(w), 0);
  EXPECT_EQ(krnCreateWindow_TextWnd(Dpy(), frame, krnSetRect(0, 0, 2 * h + 4, 50), "thin", "a", 1),
            nullptr);
}

// With the real fonts: lines break after a blank, never inside a word that
// fits on a line, and a tab moves what follows it to the next stop of eight
// space widths (the tab itself shows nothing).
TEST_F(TextWnd, WrapsAtSpacesAndPutsTabbedTextOnTheStops) {
  char space = ' ';
  int cw = XTextWidth(g_korrin.font, &space, 1), stop = 8 * cw;
  KrnWindow* w = Make("hello world\na\tb\n" + K + "\tc", 5 + 2 * stop, 100);
  TextWndData* d = DataOf(w);
  ASSERT_EQ(d->nLines, 3);
  EXPECT_STREQ(twnd::Line(d, 0)->lineText, "hello world\n");
  KrnWindow* narrow = Make("hello world", 5 + 8 * cw, 100);  // "hello wo" would fill it
  ASSERT_EQ(DataOf(narrow)->nLines, 2);
  EXPECT_STREQ(twnd::Line(DataOf(narrow), 0)->lineText, "hello ");
  EXPECT_STREQ(twnd::Line(DataOf(narrow), 1)->lineText, "world");
  krnDestroyWindow(Dpy(), narrow);
  Pump();
  XSync(Dpy(), False);
  const struct {
    int row;
    int blankFrom;  // where the tab's blank starts
    char glyph;
  } rows[] = {{1, 4 + cw, 'b'},
              {2, 4 + krnTextWidth(reinterpret_cast<const unsigned char*>(K.c_str())), 'c'}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.row);
    int y = 2 + r.row * h;
    std::vector<unsigned long> want =
        krntest::GlyphPixels(w->win, r.glyph, w->foreFontColor, w->backColor, h);
    EXPECT_EQ(Pixels(w->win, 4 + stop, y, static_cast<int>(want.size()) / h, h), want);
    std::vector<unsigned long> blank = Pixels(w->win, r.blankFrom, y, 4 + stop - r.blankFrom, h);
    EXPECT_EQ(std::count(blank.begin(), blank.end(), w->foreFontColor), 0);
  }
}

TEST_F(TextWnd, PublicOperations) {
  KrnWindow* w = Make("one\ntwo\nthree\n", 200, 100);
  EXPECT_EQ(krnSetPos_TextWnd(w, 3), 0);  // past the last line
  EXPECT_EQ(krnSetPos_TextWnd(w, -1), 0);
  EXPECT_EQ(krnSetPos_TextWnd(w, 2), 1);
  EXPECT_EQ(krnSetText_TextWnd(w, "one\ntwo\nthree\n", 14), 3);  // the same text: no change
  EXPECT_EQ(krnGetPos_TextWnd(w), 2);
  EXPECT_EQ(krnSetText_TextWnd(w, "x\x02y", 3), 1);
  EXPECT_STREQ(krnGetText_TextWnd(w), "x?y");
  EXPECT_EQ(krnGetPos_TextWnd(w), 0);
  EXPECT_EQ(krnSetText_TextWnd(w, "", 0), 0);  // an empty text clears the window
  std::vector<unsigned long> empty = Screen(w);
  EXPECT_EQ(std::count(empty.begin(), empty.end(), w->foreFontColor), 0);
  EXPECT_EQ(krnGetLines_TextWnd(frame), 0);
  EXPECT_EQ(krnSetText_TextWnd(frame, "a", 1), -1);
  EXPECT_EQ(krnSetFrame_TextWnd(nullptr, 1), 0);
}

TEST_F(TextWnd, ScrollingByCopyingShowsWhatAFullRepaintShows) {
  std::string text = Lines(60);
  int height = 10 * h + 3 + h / 2;  // ten whole rows and half of one more
  KrnWindow* w = Make(text, 300, height);
  krnSetHiDraw_TextWnd(w, 1);
  Pump();
  // copied and repainted moves; with copying off, the rows left below the
  // end of the text are cleared too
  int moves[] = {1, 4, 3, 12, 2, 11, 30, 29, 39, 49, -1, 0, 57, 20, 49};
  for (int pos : moves) {
    SCOPED_TRACE(pos);
    if (pos < 0) krnSetHiDraw_TextWnd(w, 0);
    if (pos < 0) continue;
    krnSetPos_TextWnd(w, pos);
    std::vector<unsigned long> shown = Screen(w);
    krnSendEvent(w, KRN_EV_REDRAW);
    EXPECT_EQ(shown, Screen(w));
  }
  krnSetHiDraw_TextWnd(w, 1);
  // A mark inside the text moves with a one-line scroll: the rows were
  // copied, not drawn again.
  GC gc = XCreateGC(Dpy(), w->win, 0, nullptr);
  XSetForeground(Dpy(), gc, g_korrin.colors[KRN_RED]);
  XDrawPoint(Dpy(), w->win, gc, 6, 2 + 5 * h + 1);
  XFreeGC(Dpy(), gc);
  krnSetPos_TextWnd(w, 50);
  XSync(Dpy(), False);
  EXPECT_EQ(krntest::Pixel(w->win, 6, 2 + 4 * h + 1), g_korrin.colors[KRN_RED]);
}

TEST_F(TextWnd, OutlineDrawsTheContrastShadeAroundTheText) {
  KrnWindow* w = Make("outline\n", 200, 60);
  int r, g, b;
  krnGetRGB(Dpy(), g_korrin.colormap, w->foreFontColor, &r, &g, &b);
  unsigned long outline = krnGetAlterColor(Dpy(), g_korrin.colormap, r, g, b, 3);
  auto count = [&] {
    std::vector<unsigned long> s = Screen(w);
    return std::count(s.begin(), s.end(), outline);
  };
  long before = count();
  krnSetOutLine_TextWnd(w, 1);
  EXPECT_GT(count(), before + 20);
}

#ifdef KRN_HAVE_XTEST
TEST_F(TextWnd, ATextBoxFollowsItsScrollBar) {
  std::string text = Lines(40);
  KrnWindow* box =
      krnCreateWindow_TextBox(Dpy(), frame, krnSetRect(10, 10, 300, 10 * h), "box", text.c_str());
  ASSERT_NE(box, nullptr);
  KrnWindow* tw = krnGetAttachTextWnd_TextBox(box);
  KrnWindow* sb = krnGetChildWindow(box, "_krnScroll_TextBox");
  ASSERT_TRUE(krntest::WaitMapped(sb->win));
  Pump();
  EXPECT_EQ(tw->rect.width, 300 - 17 - 5);
  EXPECT_EQ(krnGetMax_ScrollBar(sb), krnGetLines_TextBox(box) * h);
  auto inStep = [&] { return krnGetPos_TextBox(box) == krnGetPos_ScrollBar(sb); };
  auto click = [&](int y, bool release) {
    int rx, ry;
    Window child;
    XTranslateCoordinates(Dpy(), sb->win, DefaultRootWindow(Dpy()), 8, y, &rx, &ry, &child);
    XTestFakeMotionEvent(Dpy(), 0, rx, ry, 0);
    XTestFakeButtonEvent(Dpy(), 1, True, 0);
    if (release) XTestFakeButtonEvent(Dpy(), 1, False, 0);
    XSync(Dpy(), False);
  };
  click(10 * h - 8, true);  // the down arrow
  ASSERT_TRUE(PumpUntil([&] { return krnGetPos_TextBox(box) == 1; }));
  EXPECT_TRUE(inStep());
  click(10 * h - 25, true);  // the track below the thumb: a page of 10 lines
  ASSERT_TRUE(PumpUntil([&] { return krnGetPos_TextBox(box) == 11; }));
  EXPECT_TRUE(inStep());
  // held: every repeat made by a timer tick shows at once, with no event
  click(10 * h - 8, false);
  ASSERT_TRUE(PumpUntil([&] { return static_cast<ScrollBarData*>(sb->option)->part == 2; }));
  for (int i = 0; i < 30; i++) {
    krnSendEvent(sb, KRN_EV_TIMER);
    ASSERT_TRUE(inStep()) << i;
  }
  EXPECT_GT(krnGetPos_TextBox(box), 11);
  XTestFakeButtonEvent(Dpy(), 1, False, 0);
  ASSERT_TRUE(PumpUntil([&] { return static_cast<ScrollBarData*>(sb->option)->part == 0; }));
  // and the other way: the operations move both
  EXPECT_EQ(krnSetPos_TextBox(box, 3), 1);
  EXPECT_EQ(krnGetPos_ScrollBar(sb), 3);
  EXPECT_EQ(krnSetPos_TextBox(box, krnGetLines_TextBox(box) - 1), 1);  // shows the last page
  EXPECT_TRUE(inStep());
  EXPECT_EQ(krnSetText_TextBox(box, "short\n"), 1);
  EXPECT_EQ(krnGetPos_ScrollBar(sb), 0);
  EXPECT_EQ(krnGetMax_ScrollBar(sb), h);
}
#endif

}  // namespace

namespace {

// Input that arrives while a new text is wrapped (a key, the window
// manager's close request) stays queued for the loop instead of being lost.
TEST_F(TextWnd, InputArrivingDuringASetTextStaysQueued) {
  KrnWindow* w = Make("old\n", 200, 100);
  Pump();
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = frame->win;
  ev.xclient.message_type = XInternAtom(Dpy(), "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(frame->wmDeleteWindow);
  XSendEvent(Dpy(), frame->win, False, NoEventMask, &ev);
  XEvent key = krntest::KeyEvent(frame->win, XK_a);
  XSendEvent(Dpy(), frame->win, False, NoEventMask, &key);
  XSync(Dpy(), False);
  const std::string text = Lines(20);
  ASSERT_GE(krnSetText_TextWnd(w, text.data(), static_cast<int>(text.size())), 0);
  XEvent got;
  EXPECT_TRUE(XCheckTypedWindowEvent(Dpy(), frame->win, ClientMessage, &got));
  EXPECT_TRUE(XCheckTypedWindowEvent(Dpy(), frame->win, KeyPress, &got));
}

}  // namespace
