// The message dialog on a private X server.  krnMessageDialog runs its own
// loop, so a forked driver answers it with real pointer and key input and
// checks the screen from outside while the dialog runs.
#include <xdriver.h>

#include <X11/keysym.h>

#include <algorithm>

#include "dialogs/msgdlg_layout.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

#ifdef KRN_HAVE_XTEST
using krntest::Dpy;
using krntest::Driver;
using krntest::Pump;

const char kTitle[] = "Quelmo message";

int Dialog(KrnWindow* parent, const std::string& message, int style,
           const std::function<int(Driver&)>& script, int* status) {
  return krntest::DriveModal(
      kTitle, script,
      [&] { return krnMessageDialog(Dpy(), parent, kTitle, message.c_str(), style); }, status);
}

// Clicks the dialog's button that starts at x.
void ClickAt(Driver& d, int x) {
  d.Click(d.target, x + msgdlg::kButtonWidth / 2, 80 + msgdlg::kButtonHeight / 2);
}

TEST(MessageDialog, AnswersOkToOkReturnAndSpaceAndCancelToCancel) {
  msgdlg::Layout two = msgdlg::LayoutOf(0x13, msgdlg::kWidth, msgdlg::kHeight);
  struct {
    const char* name;
    int style;
    std::function<void(Driver&)> act;
    int want;
  } table[] = {
      {"click OK", 0x13, [&](Driver& d) { ClickAt(d, two.okX); }, KRN_OK},
      {"click Cancel", 0x13, [&](Driver& d) { ClickAt(d, two.cancelX); }, KRN_CANCEL},
      {"Return", 0x13, [](Driver& d) { d.Key(d.target, XK_Return); }, KRN_OK},
      {"Space", 0x13, [](Driver& d) { d.Key(d.target, XK_space); }, KRN_OK},
      {"close with Cancel", 0x13, [](Driver& d) { d.Close(); }, KRN_CANCEL},
      {"close without Cancel", 0x41, [](Driver& d) { d.Close(); }, KRN_OK},
      {"single OK", 0x51, [](Driver& d) { ClickAt(d, 210); }, KRN_OK},
  };
  for (const auto& c : table) {
    int status = -1;
    int answer = Dialog(
        nullptr, "Quit?", c.style, [&](Driver& d) { return c.act(d), 0; }, &status);
    EXPECT_EQ(answer, c.want) << c.name;
    EXPECT_EQ(status, 0) << c.name;
    EXPECT_EQ(krnGetWindow(kTitle), nullptr) << c.name << ": the dialog is destroyed";
  }
}

// The window behind the dialog counts the input that reaches it.
int g_input = 0;
int CountInput(Display*, KrnWindow* w, XEvent* ev) {
  g_input += ev->type == KeyPress || ev->type == ButtonPress;
  return w->result;
}
int CountClick(KrnWindow*, int, long, long) {
  return ++g_input;
}

TEST(MessageDialog, TheWindowBehindGetsNoInputButRepaintsWhenUncovered) {
  KrnWindow* main =
      krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 400, 300), 0, "behind", CountInput);
  krnSetRedrawBuffer(main, 1);
  KrnWindow* button =
      krnCreateWindow_Button(Dpy(), main, krnSetRect(10, 10, 40, 20), "Go", nullptr, CountClick);
  ASSERT_TRUE(krntest::WaitMapped(button->win));
  // a red buffer that only the toolkit's repaint brings back to the screen
  unsigned long red = g_korrin.colors[KRN_RED];
  GC gc = XCreateGC(Dpy(), main->win, 0, nullptr);
  XSetForeground(Dpy(), gc, red);
  XFillRectangle(Dpy(), krnGetDraw(main), gc, 0, 0, 400, 300);
  XFreeGC(Dpy(), gc);
  int status = -1;
  int answer = Dialog(
      main, "Save?", 0x13,
      [&](Driver& d) {
        d.Click(main->win, 200, 20);
        d.Click(button->win, 20, 10);
        d.Key(main->win, XK_a);
        XMoveWindow(d.d, d.target, 500, 400);  // uncover, then blank it all
        XClearArea(d.d, main->win, 0, 0, 0, 0, True);
        bool repainted = d.Until([&] {
          auto px = d.Pixels(main->win, 100, 120, 200, 60);
          return std::count(px.begin(), px.end(), red) == 200 * 60;
        });
        ClickAt(d, 140);
        return repainted ? 0 : 2;
      },
      &status);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_EQ(status, 0) << "the uncovered window was not repainted";
  Pump();
  EXPECT_EQ(g_input, 0);
  krnDestroyWindow(Dpy(), main);
  krntest::DrainEvents();
}

TEST(MessageDialog, AJapaneseSecondLineIsDrawnWithTheTwoByteFont) {
  ASSERT_NE(g_korrin.fontKanji, g_korrin.font) << "no JIS X 0208 font on this server";
  // EUC-JP for "could not write it", as the memo pad's error messages end
  const std::string jp =
      "\xbd\xf1\xa4\xad\xb9\xfe\xa4\xdf\xbd\xd0\xcd\xe8\xa4\xde\xa4\xbb\xa4\xf3\xa4\xc7\xa4\xb7"
      "\xa4\xbf";
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(jp.c_str());
  int h = krnGetCharHeight(nullptr), w = krnTextWidth(bytes);
  XChar2b glyph{0x3d, 0x71};
  ASSERT_EQ(w, 12 * XTextWidth16(g_korrin.fontKanji, &glyph, 1));
  // the same line drawn with the two fonts on the text window's background
  Pixmap ref = XCreatePixmap(Dpy(), DefaultRootWindow(Dpy()), w, h, g_korrin.depth);
  GC gc = XCreateGC(Dpy(), ref, 0, nullptr);
  XSetForeground(Dpy(), gc, g_korrin.setColors[KRN_SC_BACK]);
  XFillRectangle(Dpy(), ref, gc, 0, 0, w, h);
  XFreeGC(Dpy(), gc);
  krnDrawText(Dpy(), ref, nullptr, nullptr, g_korrin.setColors[KRN_SC_FONT], KRN_TRANSPARENT, 0, 0,
              bytes);
  std::vector<unsigned long> want = krntest::Pixels(ref, 0, 0, w, h);
  XFreePixmap(Dpy(), ref);
  ASSERT_GT(std::count(want.begin(), want.end(), g_korrin.setColors[KRN_SC_FONT]), 100);
  int status = -1;
  int answer = Dialog(
      nullptr, "Can't write file(x).\n" + jp, 0x51,
      [&](Driver& d) {
        Window text = 0;
        d.Until([&] { return (text = d.Named(d.target, "_krnText_MsgDlg")); });
        bool same = d.Until([&] { return d.Pixels(text, 4, 2 + h, w, h) == want; });
        d.Key(d.target, XK_Return);
        return same ? 0 : 3;
      },
      &status);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_EQ(status, 0) << "the second line differs from the text drawn with the two fonts";
}
#else
TEST(MessageDialog, NeedsXtest) {
  GTEST_SKIP() << "built without XTEST";
}
#endif

}  // namespace
