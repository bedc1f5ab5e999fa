// The multi-line editor on a private X server: real key presses through
// XTEST into an EUC-JP text, the text and the screen checked together
// (two-byte glyphs against XDrawString16 of the same font, the caret bar, the
// selection band), which rows typing repaints, scrolling by copying against
// a full repaint, the callbacks, lock mode and the public operations.
#include <xharness.h>

#include <X11/keysym.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <string>
#include <vector>

#include "controls/inputmltwnd_model.h"
#include "controls/textentry.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pixel;
using krntest::Pixels;

const std::string K = "\xB4\xC1";  // kanji, EUC-JP
const std::string J = "\xBB\xFA";

using krntest::Pump;
using krntest::PumpUntil;

std::vector<std::pair<int, long>> g_calls;  // (code, value) the callback saw
int g_answer = 1;
int Record(KrnWindow*, int code, long value, long) {
  g_calls.push_back({code, value});
  return g_answer;
}

InputMltWndData* DataOf(KrnWindow* w) {
  return static_cast<InputMltWndData*>(w->option);
}

class Editor : public ::testing::Test {
 protected:
  KrnWindow* frame = nullptr;
  KrnWindow* ed = nullptr;
  int h = 0;

  void Make(const std::string& text, int width = 300, int height = 200) {
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, width, height), 0, "frame", nullptr);
    ed = krnCreateWindow_InputMltWnd(Dpy(), frame, krnSetRect(0, 0, width, height), "editor",
                                     text.data(), static_cast<int>(text.size()), 0);
    ASSERT_NE(ed, nullptr);
    ASSERT_TRUE(krntest::WaitMapped(ed->win));
    krnSetEventCallback_InputMltWnd(ed, Record);
    h = krnGetCharHeight(nullptr);
    XSetInputFocus(Dpy(), ed->win, RevertToParent, CurrentTime);
    Pump();
    Pump();
    g_calls.clear();
    g_answer = 1;
  }
  void TearDown() override {
    if (frame) krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  std::string Text() const {
    return std::string(krnGetText_InputMltWnd(ed),
                       static_cast<size_t>(krnGetLength_InputMltWnd(ed)));
  }
  InputMltWndData* D() const { return DataOf(ed); }
  // x of a byte column of a display line, as the text width says.
  int ColumnX(int line, int column) const {
    return 4 +
           krnTextNWidth(reinterpret_cast<const unsigned char*>(mlt::LineText(D(), line)), column);
  }
  int RowY(int line) const { return 2 + (line - D()->topLine) * h; }
  unsigned long CaretPixel() const {
    int r, g, b;
    krnGetRGB(Dpy(), g_korrin.colormap, ed->backColor, &r, &g, &b);
    return krnGetAlterColor(Dpy(), g_korrin.colormap, r, g, b, KRN_SHADE_CONTRAST);
  }
  // The text area as it is on the screen.
  std::vector<unsigned long> Screen() const {
    return Pixels(ed->win, 4, 2, ed->rect.width - 5, ed->rect.height - 3);
  }
  // Repaints everything and returns the screen: the oracle for partial
  // repaints.
  std::vector<unsigned long> FullRepaint() {
    krnSendEvent(ed, KRN_EV_REDRAW);
    XSync(Dpy(), False);
    return Screen();
  }
  void Fill(unsigned long pixel, int x, int y, int w, int hh) {
    GC gc = XCreateGC(Dpy(), ed->win, 0, nullptr);
    XSetForeground(Dpy(), gc, pixel);
    XFillRectangle(Dpy(), ed->win, gc, x, y, w, hh);
    XFreeGC(Dpy(), gc);
    XSync(Dpy(), False);
  }
  // A key event through the editor's procedure (for keys XTEST need not
  // carry: modifiers, foreign windows).
  int Send(KeySym sym, unsigned int state = 0, Window target = 0) {
    XEvent ev = krntest::KeyEvent(target ? target : ed->win, sym, state, 1000);
    ed->result = 1;
    return WndProc_InputMltWnd(Dpy(), ed, &ev);
  }
};

#ifdef KRN_HAVE_XTEST
// Presses and releases a key on the real keyboard (with Shift if asked).
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

TEST_F(Editor, TypedKeysEditAnEucTextAndTheScreenShowsIt) {
  REQUIRE_XTEST();
  Make("ab" + K + J + "cd\nline two\n");
  krnSetCaretPos_InputMltWnd(ed, 6);  // after J
  Pump();
  Press(XK_x);
  ASSERT_TRUE(PumpUntil([&] { return Text() == "ab" + K + J + "xcd\nline two\n"; })) << Text();
  Press(XK_Left);
  Press(XK_Left);  // over J: two bytes
  ASSERT_TRUE(PumpUntil([&] { return D()->caret == 4; }));
  Press(XK_Delete);  // J goes whole
  ASSERT_TRUE(PumpUntil([&] { return Text() == "ab" + K + "xcd\nline two\n"; })) << Text();
  Press(XK_BackSpace);  // K goes whole
  ASSERT_TRUE(PumpUntil([&] { return Text() == "abxcd\nline two\n"; })) << Text();
  Press(XK_Return);
  ASSERT_TRUE(PumpUntil([&] { return Text() == "ab\nxcd\nline two\n"; })) << Text();
  EXPECT_EQ(krnIsUpdate_InputMltWnd(ed), 1);
  ASSERT_FALSE(g_calls.empty());
  EXPECT_EQ(g_calls.back().first, KRN_EDITED);
  EXPECT_EQ(g_calls.back().second, 3);
  // the partial repaints left the screen as a full repaint draws it
  std::vector<unsigned long> partial = Screen();
  EXPECT_EQ(partial, FullRepaint());
}

TEST_F(Editor, TwoByteCharactersAreDrawnWithTheKanjiFont) {
  Make("ab" + K + "cd\n");
  XFontStruct* kanji = g_korrin.fontKanji;
  ASSERT_NE(kanji, nullptr);
  ASSERT_NE(kanji, g_korrin.font) << "no JIS X 0208 font on this server";
  krnSetCaretPos_InputMltWnd(ed, 5);  // keep the caret off the glyph
  Pump();
  int x = ColumnX(0, 2), w = ColumnX(0, 4) - x;
  XChar2b glyph{static_cast<unsigned char>(0xB4 - 0x80), static_cast<unsigned char>(0xC1 - 0x80)};
  ASSERT_EQ(w, XTextWidth16(kanji, &glyph, 1));
  // the same glyph drawn by the server directly
  int ascent = std::max(g_korrin.font->ascent, kanji->ascent);
  Pixmap ref = XCreatePixmap(Dpy(), ed->win, w, h, g_korrin.depth);
  GC gc = XCreateGC(Dpy(), ref, 0, nullptr);
  XSetForeground(Dpy(), gc, ed->backColor);
  XFillRectangle(Dpy(), ref, gc, 0, 0, w, h);
  XSetForeground(Dpy(), gc, ed->foreFontColor);
  XSetFont(Dpy(), gc, kanji->fid);
  XDrawString16(Dpy(), ref, gc, 0, ascent, &glyph, 1);
  XSync(Dpy(), False);
  std::vector<unsigned long> want = Pixels(ref, 0, 0, w, h);
  XFreeGC(Dpy(), gc);
  XFreePixmap(Dpy(), ref);
  EXPECT_EQ(Pixels(ed->win, x, 2, w, h), want);
  int ink = 0;
  for (unsigned long p : want) ink += p == ed->foreFontColor;
  EXPECT_GT(ink, 10);  // the reference really holds a glyph
}

TEST_F(Editor, TheCaretBarStandsWhereTheTextWidthSays) {
  REQUIRE_XTEST();
  Make("ab" + K + "cd\nsecond\n");
  Press(XK_Down);
  Press(XK_Right);
  Press(XK_Right);
  Press(XK_Up);  // column 2 of line 0: just before K
  ASSERT_TRUE(PumpUntil([&] { return D()->caret == 2 && D()->caretCell.line == 0; }));
  Pump();
  int x = ColumnX(0, 2), y = RowY(0);
  unsigned long caret = CaretPixel();
  for (int dy = 0; dy < h - 1; dy++) {
    EXPECT_EQ(Pixel(ed->win, x, y + dy), caret) << dy;
    EXPECT_EQ(Pixel(ed->win, x + 1, y + dy), caret) << dy;
  }
  // and nowhere on the line below
  for (unsigned long p : Pixels(ed->win, 4, RowY(1), 200, h)) EXPECT_NE(p, caret);
}

TEST_F(Editor, ASelectionIsAReverseBandAsWideAsItsCharacters) {
  REQUIRE_XTEST();
  Make("ab" + K + "cd\n");
  Press(XK_Right);
  Press(XK_Right);
  Press(XK_Right, true);  // selects K
  ASSERT_TRUE(PumpUntil([&] { return D()->selectLen == 2; }));
  Pump();
  EXPECT_STREQ(krnGetSelectText_InputMltWnd(ed), K.c_str());
  int x0 = ColumnX(0, 2), x1 = ColumnX(0, 4);
  std::vector<unsigned long> band = Pixels(ed->win, x0, 2, x1 - x0, h);
  int reversed = 0;
  for (unsigned long p : band) {
    EXPECT_TRUE(p == ed->foreFontColor || p == ed->backFontColor) << std::hex << p;
    reversed += p == ed->foreFontColor;
  }
  EXPECT_GT(reversed, static_cast<int>(band.size()) / 2);  // filled: mostly the band colour
  EXPECT_EQ(Pixel(ed->win, x1 + 1, 2), ed->backColor);     // it ends with the selection
  EXPECT_EQ(Pixel(ed->win, x0 - 1, 2), ed->backColor);
  unsigned long caret = CaretPixel();
  for (unsigned long p : Screen()) ASSERT_NE(p, caret);  // no caret with a selection
  // a click clears it and repaints the old band
  XEvent click{};
  click.xbutton.type = ButtonPress;
  click.xbutton.window = ed->win;
  click.xbutton.button = Button1;
  click.xbutton.x = 100;
  click.xbutton.y = 5;
  click.xbutton.time = 500000;
  krnCallWndProc(Dpy(), ed, &click, 0);
  XSync(Dpy(), False);
  EXPECT_EQ(D()->selectLen, 0);
  EXPECT_EQ(Pixel(ed->win, x0 + 1, 2), ed->backColor);
}

std::vector<unsigned long> GlyphPixels(KrnWindow* ed, char c, int h) {
  return krntest::GlyphPixels(ed->win, c, ed->foreFontColor, ed->backColor, h);
}

// Tab stops every eight space widths from the left edge of each row: the
// glyph after a tab starts on the stop whatever stands before the tab (a
// letter, nothing, a kanji), the tab itself shows nothing, a selected tab
// is a band up to the stop, and a click and the caret agree with it.
TEST_F(Editor, TabsAreBlankUpToTheNextStopOfTheirRow) {
  Make("a\tb\n\tc\n" + K + "\td\n\n");
  char space = ' ';
  int stop = 8 * XTextWidth(g_korrin.font, &space, 1);
  krnSetCaretPos_InputMltWnd(ed, static_cast<int>(Text().size()) - 1);
  Pump();
  const struct {
    int line;
    const char* before;
    char glyph;
  } rows[] = {{0, "a", 'b'}, {1, "", 'c'}, {2, K.c_str(), 'd'}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    int x = 4 + stop, y = RowY(r.line);
    std::vector<unsigned long> want = GlyphPixels(ed, r.glyph, h);
    EXPECT_EQ(Pixels(ed->win, x, y, static_cast<int>(want.size()) / h, h), want);
    int blank = 4 + krnTextWidth(reinterpret_cast<const unsigned char*>(r.before));
    for (unsigned long p : Pixels(ed->win, blank, y, x - blank, h)) ASSERT_EQ(p, ed->backColor);
  }
  krnSetSelectText_InputMltWnd(ed, 1, 2);  // the tab of row 0
  XSync(Dpy(), False);
  int a = 4 + krnTextWidth(reinterpret_cast<const unsigned char*>("a"));
  for (unsigned long p : Pixels(ed->win, a, RowY(0), 4 + stop - a, h))
    ASSERT_EQ(p, ed->foreFontColor);
  std::vector<unsigned long> b = GlyphPixels(ed, 'b', h);  // the band ends at the stop
  EXPECT_EQ(Pixels(ed->win, 4 + stop, RowY(0), static_cast<int>(b.size()) / h, h), b);
  XEvent click{};
  click.xbutton.type = ButtonPress;
  click.xbutton.window = ed->win;
  click.xbutton.button = Button1;
  click.xbutton.x = 4 + stop - 2;  // right of the middle of the tab of row 1
  click.xbutton.y = RowY(1) + 3;
  click.xbutton.time = 900000;
  krnCallWndProc(Dpy(), ed, &click, 0);
  XSync(Dpy(), False);
  EXPECT_EQ(D()->caret, 5);
  EXPECT_EQ(Pixel(ed->win, 4 + stop, RowY(1) + 1), CaretPixel());
  // typing before a tab leaves what follows it on the stop
  krnSetCaretPos_InputMltWnd(ed, 4);
  Send(XK_x);
  XSync(Dpy(), False);
  EXPECT_EQ(Text().substr(4, 4), "x\tc\n");
  std::vector<unsigned long> partial = Screen();
  EXPECT_EQ(partial, FullRepaint());
  std::vector<unsigned long> c = GlyphPixels(ed, 'c', h);
  EXPECT_EQ(Pixels(ed->win, 4 + stop, RowY(1), static_cast<int>(c.size()) / h, h), c);
}

TEST_F(Editor, TypingInAWrappedParagraphRepaintsOnlyFromTheCaretLineDown) {
  REQUIRE_XTEST();
  std::string para;
  for (int i = 0; i < 60; i++) para += "word ";
  Make("first\nsecond\n" + para + "\nlast\n", 200, 300);
  ASSERT_GT(D()->lines, 6);
  ASSERT_EQ(mlt::Line(D(), 3).hard, 0);
  int line = 4;
  int start = 0;
  for (int i = 0; i < line; i++) start += mlt::Line(D(), i).length;
  krnSetCaretPos_InputMltWnd(ed, start + 3);
  Pump();
  unsigned long red = g_korrin.colors[KRN_RED];
  int right = ed->rect.width - 20;
  Fill(red, right, RowY(0) + 2, 8, 8);         // above the caret
  Fill(red, right, RowY(line - 1) + 2, 8, 8);  // the line just above
  Fill(red, right, RowY(line + 2) + 2, 8, 8);  // in the wrapped run below
  Press(XK_z);
  ASSERT_TRUE(PumpUntil([&] { return D()->length == static_cast<int>(para.size()) + 20; }));
  Pump();
  EXPECT_EQ(Pixel(ed->win, right + 4, RowY(0) + 4), red);
  EXPECT_EQ(Pixel(ed->win, right + 4, RowY(line - 1) + 4), red);
  EXPECT_NE(Pixel(ed->win, right + 4, RowY(line + 2) + 4), red);
}

TEST_F(Editor, ScrollingByCopyingShowsWhatAFullRepaintShows) {
  std::string text;
  for (int i = 0; i < 60; i++) text += "line " + std::to_string(i) + (i % 3 ? K : "") + "\n";
  Make(text, 200, 150);
  krnSetHiDraw_InputMltWnd(ed, 1);
  Pump();
  for (int line : {1, 4, 2, 0, 9}) {
    EXPECT_EQ(krnSetPos_InputMltWnd(ed, line), line);
    XSync(Dpy(), False);
    std::vector<unsigned long> copied = Screen();
    EXPECT_EQ(copied, FullRepaint()) << "top line " << line;
  }
  ASSERT_FALSE(g_calls.empty());
  EXPECT_EQ(g_calls.back().first, KRN_CARET_MOVED);
}

TEST_F(Editor, ScrollingByCopyingMovesACaretBehindAnUnterminatedLastLine) {
  std::string text;
  for (int i = 0; i < 40; i++) text += "line " + std::to_string(i) + "\n";
  Make(text, 200, 150);
  // the final newline replaced: the caret stands right of the last glyph
  ASSERT_EQ(krnSetSelectText_InputMltWnd(ed, D()->length - 1, D()->length), 1);
  ASSERT_GT(krnAddText_InputMltWnd(ed, "Z"), 0);
  ASSERT_EQ(D()->caret, D()->length);
  krnSetHiDraw_InputMltWnd(ed, 1);
  XSync(Dpy(), False);
  for (int line : {D()->topLine + 1, D()->topLine, D()->topLine - 2}) {
    ASSERT_EQ(krnSetPos_InputMltWnd(ed, line), line);
    XSync(Dpy(), False);
    std::vector<unsigned long> copied = Screen();
    EXPECT_EQ(copied, FullRepaint()) << "top line " << line;
  }
}

TEST_F(Editor, AnEditThatBringsTheCaretBackIntoViewRepaintsTheRewrappedLines) {
  std::string para;
  for (int i = 0; i < 80; i++) para += "w" + std::to_string(i % 10) + " ";
  Make("top\n" + para + "\nend\n", 200, 150);
  krnSetHiDraw_InputMltWnd(ed, 1);
  krnSetCaretPos_InputMltWnd(ed, 5);  // in the paragraph's first line
  XSync(Dpy(), False);
  ASSERT_EQ(D()->caretCell.line, 1);
  ASSERT_EQ(krnSetPos_InputMltWnd(ed, 2), 2);  // the caret's line just out of view
  XSync(Dpy(), False);
  int lines = D()->lines;
  Send(XK_Delete);  // the caret stays, the paragraph re-wraps, the view comes back
  XSync(Dpy(), False);
  ASSERT_EQ(D()->topLine, 1);
  ASSERT_EQ(D()->lines, lines);
  std::vector<unsigned long> partial = Screen();
  EXPECT_EQ(partial, FullRepaint());
}

TEST_F(Editor, TypingAtTheStartOfAWrappedLineShowsWhatMovesUpALine) {
  // The first line holds nine letters and wraps before a kanji that does
  // not fit; one more letter does fit there.
  int sw = krnTextNWidth(reinterpret_cast<const unsigned char*>("a"), 1);
  int kw = krnTextNWidth(reinterpret_cast<const unsigned char*>(K.data()), 2);
  ASSERT_GT(kw, sw + 1);
  int limit = 10 * sw + 1;
  Make("abcdefghi" + K + "jk\nend\n", limit + 9, 100);
  ASSERT_EQ(mlt::Line(D(), 0).length, 9);
  krnSetCaretPos_InputMltWnd(ed, 9);  // column 0 of the wrapped line
  XSync(Dpy(), False);
  Send(XK_x);
  XSync(Dpy(), False);
  ASSERT_EQ(mlt::Line(D(), 0).length, 10);  // x moved up
  std::vector<unsigned long> partial = Screen();
  EXPECT_EQ(partial, FullRepaint());
}

TEST_F(Editor, OnlyThePrimaryButtonOfTheSettingsClicksInTheEditor) {
  Make("abcdef\nsecond line\n");
  int rightHand = g_korrin.mouseRightHand, buttons = g_korrin.mouseButtons;
  const struct {
    int rightHand, buttons;
    unsigned int primary;
  } settings[] = {{1, 3, Button1}, {0, 1, Button1}, {0, 2, Button2}, {0, 3, Button3}};
  int x = ColumnX(1, 3), y = 2 + h + h / 2;  // byte 10: "sec|ond"
  for (const auto& s : settings) {
    g_korrin.mouseRightHand = s.rightHand;
    g_korrin.mouseButtons = s.buttons;
    for (unsigned int button = Button1; button <= 5; button++) {
      // the paste button inserts the primary selection (the clipboard tests)
      if (button == textentry::PasteButton(s.rightHand, s.buttons)) continue;
      krnSetCaretPos_InputMltWnd(ed, 0);
      g_calls.clear();
      XEvent press{};
      press.xbutton.type = ButtonPress;
      press.xbutton.window = ed->win;
      press.xbutton.button = button;
      press.xbutton.x = x;
      press.xbutton.y = y;
      press.xbutton.time = 100000 + 1000 * button;  // never a double click
      ed->result = 1;
      WndProc_InputMltWnd(Dpy(), ed, &press);
      bool primary = button == s.primary;
      SCOPED_TRACE("button " + std::to_string(button) + ", MouseButton " +
                   std::to_string(s.buttons) + ", right hand " + std::to_string(s.rightHand));
      EXPECT_EQ(D()->caret, primary ? 10 : 0);
      EXPECT_EQ(D()->buttonDown, primary ? 1 : 0);
      EXPECT_EQ(g_calls.size(), primary ? 1u : 0u);
      D()->buttonDown = 0;
      D()->lastPressTime = 0;
    }
  }
  g_korrin.mouseRightHand = rightHand;
  g_korrin.mouseButtons = buttons;
  // with foreign keys on, a click in another window still does nothing
  D()->foreignKeys = 1;
  krnSetCaretPos_InputMltWnd(ed, 0);
  XEvent press{};
  press.xbutton.type = ButtonPress;
  press.xbutton.window = frame->win;
  press.xbutton.button = Button1;
  press.xbutton.x = x;
  press.xbutton.y = y;
  press.xbutton.time = 200000;
  WndProc_InputMltWnd(Dpy(), ed, &press);
  EXPECT_EQ(D()->caret, 0);
  EXPECT_EQ(D()->buttonDown, 0);
}

TEST_F(Editor, PartialRepaintsAgreeWithAFullRepaint) {
  Make("alpha beta\n" + K + J + " gamma\n\ndelta\n", 120, 120);
  struct Step {
    KeySym sym;
    unsigned int state;
  };
  const Step steps[] = {{XK_End, 0},    {XK_Left, ShiftMask}, {XK_Up, ShiftMask},
                        {XK_Home, 0},   {XK_Down, ShiftMask}, {XK_Right, 0},
                        {XK_Delete, 0}, {XK_Return, 0},       {XK_BackSpace, 0},
                        {XK_Next, 0},   {XK_Prior, 0},        {XK_Down, 0}};
  for (const Step& s : steps) {
    Send(s.sym, s.state);
    XSync(Dpy(), False);
    std::vector<unsigned long> partial = Screen();
    EXPECT_EQ(partial, FullRepaint()) << "after key " << std::hex << s.sym;
  }
  // a selection started away from the drawn caret leaves no stale caret
  krnSetCaretPos_InputMltWnd(ed, 0);
  krnSetSelectText_InputMltWnd(ed, 20, 24);
  XSync(Dpy(), False);
  std::vector<unsigned long> partial = Screen();
  EXPECT_EQ(partial, FullRepaint());
}

TEST_F(Editor, CallbacksReportEditsMovesAndResizes) {
  Make("abc\n");
  Send(XK_Right);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0], std::make_pair(static_cast<int>(KRN_CARET_MOVED), 1L));
  Send(XK_BackSpace);
  EXPECT_EQ(g_calls.back(), std::make_pair(static_cast<int>(KRN_EDITED), 0L));
  g_calls.clear();
  Send(XK_BackSpace);  // refused at the start: no callback
  EXPECT_TRUE(g_calls.empty());
  g_answer = KRN_QUIT;
  EXPECT_EQ(Send(XK_Right), KRN_QUIT);
  g_answer = 1;
  XResizeWindow(Dpy(), ed->win, 100, 80);
  ASSERT_TRUE(
      PumpUntil([&] { return !g_calls.empty() && g_calls.back().first == KRN_EDITOR_RESIZED; }));
  EXPECT_EQ(ed->rect.width, 100);
}

TEST_F(Editor, LockModeAndModifiersKeepTheTextFromTheKeyboard) {
  Make("abc\n");
  krnSetLock_InputMltWnd(ed, 5);
  EXPECT_EQ(krnGetLock_InputMltWnd(ed), 1);
  Send(XK_x);
  Send(XK_Delete);
  Send(XK_Return);
  EXPECT_EQ(Text(), "abc\n");
  Send(XK_Right);
  EXPECT_EQ(D()->caret, 1);
  krnSetLock_InputMltWnd(ed, 0);
  Send(XK_x, ControlMask);
  Send(XK_x, Mod1Mask);
  EXPECT_EQ(Text(), "abc\n");
  Send(XK_x);
  EXPECT_EQ(Text(), "axbc\n");
  // keys of another window edit only with foreign keys on
  Send(XK_y, 0, frame->win);
  EXPECT_EQ(Text(), "axbc\n");
  D()->foreignKeys = 1;
  Send(XK_y, 0, frame->win);
  EXPECT_EQ(Text(), "axybc\n");
}

TEST_F(Editor, PublicOperationsEditTheText) {
  Make("");
  EXPECT_EQ(krnGetLength_InputMltWnd(ed), 1);
  EXPECT_EQ(krnSetText_InputMltWnd(ed, "ab\r\ncd", 6), 6);
  EXPECT_EQ(Text(), "ab\ncd\n");
  EXPECT_EQ(krnIsUpdate_InputMltWnd(ed), 0);
  krnSetCaretPos_InputMltWnd(ed, 99);
  EXPECT_EQ(krnGetCaretPos_InputMltWnd(ed), 5);
  krnSetCaretPos_InputMltWnd(ed, -4);
  EXPECT_EQ(krnGetCaretPos_InputMltWnd(ed), 0);
  // copy without a selection: an empty copy that pastes nothing but marks
  EXPECT_EQ(krnCopyText_InputMltWnd(ed), 1);
  EXPECT_STREQ(krnGetCopyText_InputMltWnd(ed), "");
  EXPECT_EQ(krnPasteText_InputMltWnd(ed, nullptr), 1);
  EXPECT_EQ(Text(), "ab\ncd\n");
  EXPECT_EQ(krnIsUpdate_InputMltWnd(ed), 1);
  EXPECT_EQ(krnSetSelectText_InputMltWnd(ed, 3, 2), 0);
  EXPECT_EQ(krnSetSelectText_InputMltWnd(ed, 1, 4), 1);
  EXPECT_STREQ(krnGetSelectText_InputMltWnd(ed), "b\nc");
  EXPECT_EQ(krnCutText_InputMltWnd(ed), 1);
  EXPECT_EQ(Text(), "ad\n");
  EXPECT_EQ(krnPasteText_InputMltWnd(ed, nullptr), 1);
  EXPECT_EQ(Text(), "ab\ncd\n");
  EXPECT_EQ(krnAddText_InputMltWnd(ed, ""), -1);
  EXPECT_EQ(krnAddText_InputMltWnd(ed, K.c_str()), 8);
  EXPECT_EQ(krnGetLines_InputMltWnd(ed), 2);
  EXPECT_EQ(krnGetLinesOfPage_InputMltWnd(ed), (200 - 5) / h);
  EXPECT_EQ(krnSetSelectText_InputMltWnd(ed, 0, krnGetLength_InputMltWnd(ed)), 1);
  EXPECT_EQ(D()->selectLen, 8);
  EXPECT_EQ(krnDelSelectText_InputMltWnd(ed), 1);
  EXPECT_EQ(krnGetLength_InputMltWnd(ed), 0);
  EXPECT_EQ(krnGetLines_InputMltWnd(ed), 0);
  krnSendEvent(ed, KRN_EV_REDRAW);  // an empty editor: frame and caret only
  XSync(Dpy(), False);
  EXPECT_EQ(Pixel(ed->win, 4, 2 + h / 2), CaretPixel());
  // another kind of window is refused
  EXPECT_EQ(krnSetText_InputMltWnd(frame, "x", 1), -1);
  EXPECT_EQ(krnAddText_InputMltWnd(frame, "x"), -1);
  EXPECT_EQ(krnGetText_InputMltWnd(frame), nullptr);
  EXPECT_EQ(krnSetLock_InputMltWnd(frame, 1), 0);
  EXPECT_EQ(krnSetCaretPos_InputMltWnd(nullptr, 1), 0);
}

TEST_F(Editor, NullTextFlagsAndScrollingByCopyingDropTheWallpaper) {
  Make("abc\n");
  KrnWindow* empty =
      krnCreateWindow_InputMltWnd(Dpy(), frame, krnSetRect(0, 0, 50, 50), "empty", nullptr, 10, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(krnGetLength_InputMltWnd(empty), 1);
  EXPECT_EQ(krnGetLines_InputMltWnd(empty), 1);
  EXPECT_STREQ(krnGetText_InputMltWnd(empty), "\n");
  EXPECT_EQ(krnSetUpdateFlag_InputMltWnd(ed, 7), 1);
  EXPECT_EQ(krnIsUpdate_InputMltWnd(ed), 1);
  KrnImage* image = g_korrin.images[0];
  ASSERT_NE(image, nullptr);
  krnSetWallPaper(Dpy(), ed, image);
  ASSERT_EQ(ed->wallPaper, image);
  EXPECT_EQ(krnSetHiDraw_InputMltWnd(ed, 0), 1);  // unchanged: the wallpaper stays
  EXPECT_EQ(ed->wallPaper, image);
  EXPECT_EQ(krnSetHiDraw_InputMltWnd(ed, 3), 1);
  EXPECT_EQ(D()->hiDraw, 1);
  EXPECT_EQ(ed->wallPaper, nullptr);
  EXPECT_EQ(krnSetHiDraw_InputMltWnd(ed, 0), 1);
  EXPECT_EQ(D()->hiDraw, 0);
}

TEST_F(Editor, DoubleClickSelectsAWordAndDraggingExtends) {
  REQUIRE_XTEST();
  Make("foo bar baz\nnext line\n");
  int y = 2 + h / 2;
#ifdef KRN_HAVE_XTEST
  XTestFakeMotionEvent(Dpy(), 0, ColumnX(0, 5), y, 0);
  XTestFakeButtonEvent(Dpy(), 1, True, 0);
  XTestFakeButtonEvent(Dpy(), 1, False, 0);
  XTestFakeButtonEvent(Dpy(), 1, True, 0);
  XTestFakeButtonEvent(Dpy(), 1, False, 0);
  XSync(Dpy(), False);
#endif
  ASSERT_TRUE(PumpUntil([&] { return D()->selectLen == 3; }));
  EXPECT_EQ(D()->caret, 4);
  EXPECT_STREQ(krnGetSelectText_InputMltWnd(ed), "bar");
  // drag from "foo" onto the next line (a press that is no double click)
  int doubleClickTime = g_korrin.doubleClickTime;
  g_korrin.doubleClickTime = 0;
#ifdef KRN_HAVE_XTEST
  XTestFakeMotionEvent(Dpy(), 0, ColumnX(0, 1), y, 0);
  XTestFakeButtonEvent(Dpy(), 1, True, 0);
  XTestFakeMotionEvent(Dpy(), 0, ColumnX(1, 4), y + h, 100);
  XTestFakeMotionEvent(Dpy(), 0, ColumnX(1, 4) + 1, y + h, 100);
  XSync(Dpy(), False);
#endif
  ASSERT_TRUE(PumpUntil([&] { return D()->caret == 1 && D()->selectLen == 15; }))
      << D()->caret << " " << D()->selectLen;
#ifdef KRN_HAVE_XTEST
  XTestFakeButtonEvent(Dpy(), 1, False, 0);
  XSync(Dpy(), False);
#endif
  bool released = PumpUntil([&] { return D()->buttonDown == 0; });
  g_korrin.doubleClickTime = doubleClickTime;
  ASSERT_TRUE(released);
  EXPECT_STREQ(krnGetSelectText_InputMltWnd(ed), "oo bar baz\nnext");
}

}  // namespace

namespace {

// Undo and redo paint what a full repaint paints, whether the step lies on
// the caret's line (changed lines only) or reaches over several lines, and
// tell the callback as an edit would.
TEST_F(Editor, UndoAndRedoRepaintLikeAFullRepaintAndReportAnEdit) {
  Make("alpha beta gamma delta epsilon\nzeta " + K + J + "\n", 120, 120);
  std::vector<unsigned long> start = Screen();
  krnSetCaretPos_InputMltWnd(ed, 6);
  for (KeySym k : {XK_x, XK_y, XK_Return, XK_z}) Send(k);
  krnSetSelectText_InputMltWnd(ed, 0, 12);
  Send(XK_q);  // typed over a selection spanning a wrapped line
  g_calls.clear();
  for (int i = 0; i < 2; i++) {
    ASSERT_EQ(krnUndo_InputMltWnd(ed), 1);
    XSync(Dpy(), False);
    std::vector<unsigned long> partial = Screen();
    EXPECT_EQ(partial, FullRepaint()) << "undo " << i;
  }
  EXPECT_EQ(Text(), "alpha beta gamma delta epsilon\nzeta " + K + J + "\n");
  EXPECT_EQ(krnIsUpdate_InputMltWnd(ed), 0);
  ASSERT_FALSE(g_calls.empty());
  EXPECT_EQ(g_calls.back().first, KRN_EDITED);
  krnSetCaretPos_InputMltWnd(ed, 0);
  EXPECT_EQ(Screen(), start);
  for (int i = 0; i < 2; i++) {
    ASSERT_EQ(krnRedo_InputMltWnd(ed), 1);
    XSync(Dpy(), False);
    std::vector<unsigned long> partial = Screen();
    EXPECT_EQ(partial, FullRepaint()) << "redo " << i;
  }
  EXPECT_EQ(krnUndo_InputMltWnd(ed) + krnUndo_InputMltWnd(ed) + krnUndo_InputMltWnd(ed), 2);
  EXPECT_EQ(krnCanUndo_InputMltWnd(ed), 0);
  EXPECT_EQ(krnCanRedo_InputMltWnd(ed), 1);
}

}  // namespace
