// The message dialog on a private X server.  krnMessageDialog runs its own
// loop, so each test forks a driver process with its own connection that
// finds the dialog by its title and answers it with real pointer and key
// input (XTEST), checking the screen from outside while the dialog runs.
#include <xharness.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/keysym.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/msgdlg_layout.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pump;

const char kTitle[] = "Quelmo message";

#ifdef KRN_HAVE_XTEST
// The driver's side: its own display connection and the dialog's window.
struct Driver {
  Display* d;
  Window dialog = 0;

  Window Named(Window parent, const char* name) {
    Window root, up, *kids = nullptr;
    unsigned int n = 0;
    Window found = 0;
    if (!XQueryTree(d, parent, &root, &up, &kids, &n)) return 0;
    for (unsigned int i = 0; i < n && !found; i++) {
      char* title = nullptr;
      XWindowAttributes a;
      if (XFetchName(d, kids[i], &title) && title && strcmp(title, name) == 0 &&
          XGetWindowAttributes(d, kids[i], &a) && a.map_state == IsViewable)
        found = kids[i];
      if (title) XFree(title);
    }
    if (kids) XFree(kids);
    return found;
  }
  bool Until(const std::function<bool()>& pred) {
    for (int i = 0; i < 1000; i++) {
      if (pred()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  bool FindDialog() {
    return Until([&] { return (dialog = Named(DefaultRootWindow(d), kTitle)) != 0; });
  }
  void Click(Window w, int x, int y) {
    int rx, ry;
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(d, 0, rx, ry, 0);
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XSync(d, False);
  }
  void ClickButton(int x) { Click(dialog, x + 30, 80 + 12); }
  void Key(Window focus, KeySym sym) {
    XSetInputFocus(d, focus, RevertToPointerRoot, CurrentTime);
    KeyCode code = XKeysymToKeycode(d, sym);
    XTestFakeKeyEvent(d, code, True, 0);
    XTestFakeKeyEvent(d, code, False, 0);
    XSync(d, False);
  }
  void Close() {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = dialog;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, dialog, False, NoEventMask, &ev);
    XSync(d, False);
  }
  std::vector<unsigned long> Pixels(Window w, int x, int y, int width, int height) {
    std::vector<unsigned long> out;
    XImage* img = XGetImage(d, w, x, y, width, height, AllPlanes, ZPixmap);
    if (!img) return out;
    for (int j = 0; j < height; j++)
      for (int i = 0; i < width; i++) out.push_back(XGetPixel(img, i, j));
    XDestroyImage(img);
    return out;
  }
};

// Runs krnMessageDialog while a forked driver runs script (its exit status
// is the script's answer: 0 = all it checked held).  A dialog nobody
// answers ends the program through the alarm instead of hanging it.
int RunDialog(KrnWindow* parent, const std::string& message, int style,
              const std::function<int(Driver&)>& script, int* driverStatus) {
  XSync(Dpy(), False);
  pid_t pid = fork();
  if (pid == 0) {
    Driver drv{XOpenDisplay(krntest::DisplayName().c_str())};
    int rc = drv.d && drv.FindDialog() ? script(drv) : 99;
    _exit(rc);
  }
  alarm(60);
  int answer = krnMessageDialog(Dpy(), parent, kTitle, message.c_str(), style);
  alarm(0);
  int status = 0;
  waitpid(pid, &status, 0);
  *driverStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return answer;
}
struct AnswerCase {
  const char* name;
  int style;
  std::function<void(Driver&)> act;
  int want;
};

TEST(MessageDialog, AnswersOkToOkReturnAndSpaceAndCancelToCancel) {
  msgdlg::Layout two = msgdlg::LayoutOf(0x13, msgdlg::kWidth, msgdlg::kHeight);
  msgdlg::Layout one = msgdlg::LayoutOf(0x41, msgdlg::kWidth, msgdlg::kHeight);
  const AnswerCase table[] = {
      {"click OK", 0x13, [&](Driver& d) { d.ClickButton(two.okX); }, KRN_OK},
      {"click Cancel", 0x13, [&](Driver& d) { d.ClickButton(two.cancelX); }, KRN_CANCEL},
      {"Return", 0x13, [](Driver& d) { d.Key(d.dialog, XK_Return); }, KRN_OK},
      {"Space", 0x13, [](Driver& d) { d.Key(d.dialog, XK_space); }, KRN_OK},
      {"close with Cancel", 0x13, [](Driver& d) { d.Close(); }, KRN_CANCEL},
      {"close without Cancel", 0x41, [](Driver& d) { d.Close(); }, KRN_OK},
      {"single OK", 0x41, [&](Driver& d) { d.ClickButton(one.okX); }, KRN_OK},
  };
  for (const AnswerCase& c : table) {
    int status = -1;
    int answer = RunDialog(
        nullptr, "Quit?", c.style,
        [&](Driver& d) {
          c.act(d);
          return 0;
        },
        &status);
    EXPECT_EQ(answer, c.want) << c.name;
    EXPECT_EQ(status, 0) << c.name;
    EXPECT_EQ(krnGetWindow(kTitle), nullptr) << c.name << ": the dialog is destroyed";
  }
}

// The window behind the dialog: counts the input that reaches its procedure.
int g_behindInput = 0;
int CountInput(Display*, KrnWindow* w, XEvent* ev) {
  if (ev->type == KeyPress || ev->type == ButtonPress) g_behindInput++;
  return w->result;
}
int g_clicks = 0;
int CountClick(KrnWindow*, int, long, long) {
  return ++g_clicks;
}

TEST(MessageDialog, TheWindowBehindGetsNoInputButRepaintsWhenUncovered) {
  KrnWindow* main =
      krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 400, 300), 0, "behind", CountInput);
  krnSetRedrawBuffer(main, 1);
  KrnWindow* button =
      krnCreateWindow_Button(Dpy(), main, krnSetRect(10, 10, 40, 20), "Go", nullptr, CountClick);
  ASSERT_TRUE(krntest::WaitMapped(button->win));
  // a red buffer that only the toolkit's repaint can bring back to the screen
  unsigned long red = g_korrin.colors[KRN_RED];
  GC gc = XCreateGC(Dpy(), main->win, 0, nullptr);
  XSetForeground(Dpy(), gc, red);
  XFillRectangle(Dpy(), krnGetDraw(main), gc, 0, 0, 400, 300);
  XFreeGC(Dpy(), gc);
  krnRedrawWindow(Dpy(), main);
  Pump();
  int status = -1;
  int answer = RunDialog(
      main, "Save?", 0x13,
      [&](Driver& d) {
        d.Click(main->win, 200, 20);  // on the window behind
        d.Click(button->win, 20, 10);
        d.Key(main->win, XK_a);
        XMoveWindow(d.d, d.dialog, 500, 400);
        XClearArea(d.d, main->win, 0, 0, 0, 0, True);  // blank it: the server asks for paint
        XSync(d.d, False);
        bool repainted = d.Until([&] {
          std::vector<unsigned long> px = d.Pixels(main->win, 100, 120, 200, 60);
          return !px.empty() && std::count(px.begin(), px.end(), red) == (long)px.size();
        });
        d.ClickButton(msgdlg::LayoutOf(0x13, msgdlg::kWidth, msgdlg::kHeight).okX);
        return repainted ? 0 : 2;
      },
      &status);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_EQ(status, 0) << "the uncovered window was not repainted";
  Pump();
  Pump();
  EXPECT_EQ(g_behindInput, 0);
  EXPECT_EQ(g_clicks, 0);
  krnDestroyWindow(Dpy(), main);
  krntest::DrainEvents();
}

TEST(MessageDialog, AJapaneseSecondLineIsDrawnWithTheTwoByteFont) {
  ASSERT_NE(g_korrin.fontKanji, g_korrin.font) << "no JIS X 0208 font on this server";
  // "Can't write file(x).\n" and, in EUC-JP, "could not write it"
  const std::string japanese =
      "\xbd\xf1\xa4\xad\xb9\xfe\xa4\xdf\xbd\xd0\xcd\xe8\xa4\xde\xa4\xbb\xa4\xf3\xa4\xc7\xa4\xb7"
      "\xa4\xbf";
  const std::string message = "Can't write file(x).\n" + japanese;
  const unsigned char* jp = reinterpret_cast<const unsigned char*>(japanese.c_str());
  int h = krnGetCharHeight(nullptr);
  int w = krnTextWidth(jp);
  XChar2b glyph{0x3d, 0x71};
  ASSERT_EQ(w, 12 * XTextWidth16(g_korrin.fontKanji, &glyph, 1));
  // the same line drawn with the fonts, on the text window's background
  Pixmap ref = XCreatePixmap(Dpy(), DefaultRootWindow(Dpy()), w, h, g_korrin.depth);
  GC gc = XCreateGC(Dpy(), ref, 0, nullptr);
  XSetForeground(Dpy(), gc, g_korrin.setColors[KRN_SC_BACK]);
  XFillRectangle(Dpy(), ref, gc, 0, 0, w, h);
  XFreeGC(Dpy(), gc);
  krnDrawText(Dpy(), ref, nullptr, nullptr, g_korrin.setColors[KRN_SC_FONT], KRN_TRANSPARENT, 0, 0,
              jp);
  std::vector<unsigned long> want = krntest::Pixels(ref, 0, 0, w, h);
  XFreePixmap(Dpy(), ref);
  long ink = std::count(want.begin(), want.end(), g_korrin.setColors[KRN_SC_FONT]);
  ASSERT_GT(ink, 100);
  int status = -1;
  int answer = RunDialog(
      nullptr, message, 0x51,
      [&](Driver& d) {
        Window text = 0;
        d.Until([&] { return (text = d.Named(d.dialog, "_krnText_MsgDlg")) != 0; });
        bool same = d.Until([&] { return d.Pixels(text, 4, 2 + h, w, h) == want; });
        d.Key(d.dialog, XK_Return);
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
