// The message dialog on a private X server, driven from inside its own loop
// by a script of steps (dialog_driver.h) with real pointer and key input:
// the answers, the window behind it, and its Japanese text.
#include <xharness.h>

#include "dialog_driver.h"

#include <X11/keysym.h>

#include <algorithm>

#include "controls/textwnd_model.h"
#include "dialogs/msgdlg_layout.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Script;
using krntest::Step;

const char kTitle[] = "Quelmo message";

// Runs the dialog under the script; the script must have run to its end.
int Dialog(KrnWindow* parent, const std::string& message, int style, std::vector<Step> steps) {
  Script script(kTitle, std::move(steps));
  int answer = krnMessageDialog(Dpy(), parent, kTitle, message.c_str(), style);
  EXPECT_TRUE(script.finished());
  EXPECT_EQ(krnGetWindow(kTitle), nullptr) << "the dialog is destroyed";
  return answer;
}

// Clicks the dialog's button that starts at x.
void ClickButton(KrnWindow* dialog, int x) {
  krntest::ClickAt(dialog, x + msgdlg::kButtonWidth / 2, 80 + msgdlg::kButtonHeight / 2);
}

KrnWindow* g_dialog = nullptr;

TEST(MessageDialog, AnswersOkToOkReturnAndSpaceAndCancelToCancel) {
  struct {
    const char* name;
    int style;
    std::function<void()> act;
    int want;
  } table[] = {
      {"click OK", 0x13, [] { ClickButton(g_dialog, 140); }, KRN_OK},
      {"click Cancel", 0x13, [] { ClickButton(g_dialog, 210); }, KRN_CANCEL},
      {"Return", 0x13, [] { krntest::TypeKey(XK_Return); }, KRN_OK},
      {"Space", 0x13, [] { krntest::TypeKey(XK_space); }, KRN_OK},
      {"close with Cancel", 0x13, [] { Script::Close(g_dialog); }, KRN_CANCEL},
      {"close without Cancel", 0x41, [] { Script::Close(g_dialog); }, KRN_OK},
      {"single OK", 0x51, [] { ClickButton(g_dialog, 210); }, KRN_OK},
  };
  for (const auto& c : table) {
    Step act = [&] { return c.act(), true; };
    EXPECT_EQ(Dialog(nullptr, "Quit?", c.style, {krntest::WaitShown(kTitle, &g_dialog), act}),
              c.want)
        << c.name;
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
  // a red buffer that only the toolkit's repaint brings to the screen
  unsigned long red = g_korrin.colors[KRN_RED];
  GC gc = XCreateGC(Dpy(), main->win, 0, nullptr);
  XSetForeground(Dpy(), gc, red);
  XFillRectangle(Dpy(), krnGetDraw(main), gc, 0, 0, 400, 300);
  XFreeGC(Dpy(), gc);
  Step input = [&] {
    krntest::ClickAt(main, 200, 20);
    krntest::ClickMiddle(button);
    XSetInputFocus(Dpy(), main->win, RevertToPointerRoot, CurrentTime);
    krntest::TypeKey(XK_a);
    XMoveWindow(Dpy(), g_dialog->win, 500, 400);  // uncover, then blank it all
    XClearArea(Dpy(), main->win, 0, 0, 0, 0, True);
    return true;
  };
  Step repainted = [&] {
    std::vector<unsigned long> px = krntest::Pixels(main->win, 100, 120, 200, 60);
    return std::count(px.begin(), px.end(), red) == 200 * 60;
  };
  Step ok = [] { return ClickButton(g_dialog, 140), true; };
  EXPECT_EQ(
      Dialog(main, "Save?", 0x13, {krntest::WaitShown(kTitle, &g_dialog), input, repainted, ok}),
      KRN_OK);
  krntest::Pump();
  EXPECT_EQ(g_input, 0);
  krnDestroyWindow(Dpy(), main);
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
  Step same = [&] {
    KrnWindow* text = krnGetChildWindow(g_dialog, "_krnText_MsgDlg");
    return text && krntest::Pixels(text->win, 4, 2 + h, w, h) == want;
  };
  Step close = [] { return krntest::TypeKey(XK_Return), true; };
  EXPECT_EQ(Dialog(nullptr, "Can't write file(x).\n" + jp, 0x51,
                   {krntest::WaitShown(kTitle, &g_dialog), same, close}),
            KRN_OK);
}

// The memo pad's longest question: the dialog grows until every line shows,
// the English line breaks at a space, the Japanese one beside a two-byte
// character, and the last line is drawn inside the text window.
TEST(MessageDialog, ALongMessageBreaksAtSpacesAndShowsEveryLine) {
  const std::string message =
      "Text Modified(not save)!! Do you want to clear text(new file)? (OK or Cancel)\n"
      "\xca\xd4\xbd\xb8\xa4\xb5\xa4\xec\xa4\xc6\xa4\xa4\xa4\xde\xa4\xb9(\xca\xdd\xc2\xb8\xa4\xb5"
      "\xa4\xec\xa4\xc6\xa4\xa4\xa4\xde\xa4\xbb\xa4\xf3)!! "
      "\xa5\xc6\xa5\xad\xa5\xb9\xa5\xc8\xa4\xf2\xbd\xe9\xb4\xfc\xb2\xbd("
      "\xbf\xb7\xa4\xb7\xa4\xa4\xa5"
      "\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xa4\xcb)"
      "\xa4\xb7\xa4\xc6\xa4\xe8\xa4\xa4\xa4\xc7\xa4\xb9\xa4\xab?";
  int h = krnGetCharHeight(nullptr);
  std::vector<std::string> lines;
  int rows = 0, lastRowInk = 0;
  Step look = [&] {
    KrnWindow* text = krnGetChildWindow(g_dialog, "_krnText_MsgDlg");
    if (!text || !text->option) return false;
    TextWndData* d = static_cast<TextWndData*>(text->option);
    lines.clear();
    for (int i = 0; i < d->nLines; i++) lines.push_back(twnd::Line(d, i)->lineText);
    rows = twnd::LinesPerPage(text->rect.height, h);
    std::vector<unsigned long> last =
        krntest::Pixels(text->win, 4, 2 + (d->nLines - 1) * h, text->rect.width - 8, h);
    lastRowInk = static_cast<int>(std::count(last.begin(), last.end(), text->foreFontColor));
    return lastRowInk > 20;  // once drawn
  };
  Step close = [] { return krntest::TypeKey(XK_Return), true; };
  EXPECT_EQ(Dialog(nullptr, message, 0x13, {krntest::WaitShown(kTitle, &g_dialog), look, close}),
            KRN_OK);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_LE(static_cast<int>(lines.size()), rows) << "every line shows";
  EXPECT_GT(lastRowInk, 20) << "the last line is drawn";
  std::string joined;
  for (size_t i = 0; i < lines.size(); i++) {
    joined += lines[i];
    if (i + 1 == lines.size()) break;
    const std::string& l = lines[i];
    unsigned char end = static_cast<unsigned char>(l.back());
    bool atSpace = end == ' ' || end == '\n';
    bool besideKanji = end >= 0xA1 || static_cast<unsigned char>(lines[i + 1][0]) >= 0xA1;
    EXPECT_TRUE(atSpace || besideKanji) << "line " << i << ": " << l;
  }
  EXPECT_EQ(joined, message);
}

}  // namespace
