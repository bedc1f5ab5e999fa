// The real quelmo under a real window manager (openbox, click to focus; twm)
// on the private server: typed keys reach the editor wherever the pointer
// is, dialogs are transient for the main window, take the focus and close
// with Escape, the wheel scrolls, menus stay on the screen, and a new file
// name opens an empty text that Control+S creates.
#include <xdriver.h>
#include <xharness.h>
#include <xquelmo.h>
#include <xwm.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, false);

// twm_e2e_test includes this file with twm instead.
#ifndef KRN_DESKTOP_WM
#define KRN_DESKTOP_WM "openbox"
#endif

namespace {

// One window manager for the whole program, started by the first test that
// asks: starting and ending one per test races with the server.
const krntest::WindowManager& Wm() {
  static krntest::WindowManager wm(KRN_DESKTOP_WM);
  return wm;
}
const std::string kWm = KRN_DESKTOP_WM;

// The tests past the typing one follow the focus as a click-to-focus window
// manager gives it; twm gives it to whatever window the pointer is over.
#define NEEDS_CLICK_TO_FOCUS() \
  if (kWm != "openbox") GTEST_SKIP() << kWm << " moves the focus with the pointer"

using krntest::Driver;
using krntest::Quelmo;

struct Desktop {
  Driver drv;
  Window main = 0, box = 0, editor = 0;
  Desktop() { drv.d = XOpenDisplay(krntest::DisplayName().c_str()); }
  ~Desktop() {
    if (drv.d) XCloseDisplay(drv.d);
  }
  bool Open() {
    return drv.d && (main = drv.MainWindow()) != 0 && (box = drv.Child(main, "InputBox")) != 0 &&
           (editor = drv.Child(box, "krnInputMltWnd_InputBox")) != 0;
  }
  Window Focus() {
    Window w = 0;
    int revert;
    XGetInputFocus(drv.d, &w, &revert);
    return w;
  }
  XPoint OnScreen(Window w) {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(drv.d, w, DefaultRootWindow(drv.d), 0, 0, &x, &y, &child);
    return XPoint{static_cast<short>(x), static_cast<short>(y)};
  }
  std::string Title(Window w) {
    char* name = nullptr;
    std::string t = XFetchName(drv.d, w, &name) && name ? name : "";
    if (name) XFree(name);
    return t;
  }
  void Ctrl(KeySym key) { drv.Key(0, key, {XK_Control_L}); }
};

// The keys typed with the pointer over the tool bar, the scroll bar and
// outside the window all reach the editor: Control+S then saves them.
void TypeAnywhereAndSave(const std::string& wm, bool outsideToo) {
  ASSERT_TRUE(Wm().ok()) << wm << " did not start";
  krntest::TempDir dir;
  Quelmo q(dir, {"new.txt"});
  Desktop s;
  ASSERT_TRUE(s.Open());
  EXPECT_TRUE(s.drv.Until([&] { return s.Title(s.main) == "new.txt - Quelmo"; }))
      << s.Title(s.main);
  s.drv.Click(s.editor, 60, 20);
  ASSERT_TRUE(s.drv.Until([&] { return s.Focus() == s.main; })) << wm << " gave no focus";
  Window tools = s.drv.Child(s.main, "ToolBar");
  Window scroll = s.drv.Child(s.box, "krnScroll_InputBox");
  ASSERT_NE(tools, 0u);
  s.drv.Move(tools, 200, 5);
  s.drv.Type(0, "ab");
  ASSERT_NE(scroll, 0u);
  s.drv.Move(scroll, 5, 100);
  s.drv.Type(0, "cd");
  if (outsideToo) {
    XPoint at = s.OnScreen(s.main);
    s.drv.Move(DefaultRootWindow(s.drv.d), at.x > 100 ? 5 : 1000, 700);
    s.drv.Type(0, "ef");
  }
  s.Ctrl(XK_s);
  Window dialog = s.drv.Wait(DefaultRootWindow(s.drv.d), [](const std::string& t) {
    return t.compare(0, 14, "Save Dialog - ") == 0;
  });
  ASSERT_NE(dialog, 0u);
  // the dialog took the focus: Return confirms the proposed name
  ASSERT_TRUE(s.drv.Until([&] { return s.Focus() == dialog; })) << "the dialog has no focus";
  s.drv.Key(0, XK_Return);
  std::string want = outsideToo ? "abcdef" : "abcd";
  EXPECT_TRUE(s.drv.Until([&] { return krntest::ReadFile(dir.file("new.txt")) == want + "\n"; }))
      << wm << ": " << krntest::ReadFile(dir.file("new.txt"));
  // back in the editor after the dialog: the keyboard is the editor's again
  ASSERT_TRUE(s.drv.Until([&] { return s.Focus() == s.main; }));
  s.drv.Type(0, "g");
  s.drv.Close(s.main);  // modified again: the close asks
  ASSERT_TRUE(s.drv.FindTarget("Warning"));
  s.drv.Key(0, XK_Return);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

// twm gives the focus to the window under the pointer, so there only the
// pointer over the window's own controls is tried.
TEST(Desktop, TypingReachesTheEditorWhereverThePointerIs) {
  TypeAnywhereAndSave(kWm, kWm == "openbox");
}

TEST(Desktop, HelpIsTransientOverTheEditorNamesItsClassAndClosesWithEscape) {
  NEEDS_CLICK_TO_FOCUS();
  ASSERT_TRUE(Wm().ok());
  krntest::TempDir dir;
  Quelmo q(dir, {});
  Desktop s;
  ASSERT_TRUE(s.Open());
  s.drv.Click(s.editor, 60, 20);
  ASSERT_TRUE(s.drv.Until([&] { return s.Focus() == s.main; }));
  s.Ctrl(XK_h);
  ASSERT_TRUE(s.drv.FindTarget("Quelmo Help"));
  Window help = s.drv.target;
  Window owner = 0;
  EXPECT_TRUE(XGetTransientForHint(s.drv.d, help, &owner));
  EXPECT_EQ(owner, s.main);
  for (Window w : {s.main, help}) {
    XClassHint hint{};
    ASSERT_TRUE(XGetClassHint(s.drv.d, w, &hint));
    EXPECT_STREQ(hint.res_name, "quelmo");
    EXPECT_STREQ(hint.res_class, "Quelmo");
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* pid = nullptr;
  ASSERT_EQ(XGetWindowProperty(s.drv.d, s.main, XInternAtom(s.drv.d, "_NET_WM_PID", False), 0, 1,
                               False, XA_CARDINAL, &type, &format, &n, &after, &pid),
            Success);
  EXPECT_EQ(n, 1u);
  if (pid) XFree(pid);
  // over the editor: the help's centre lies inside the main window
  XPoint m = s.OnScreen(s.main), h = s.OnScreen(help);
  XRectangle mg = s.drv.Geometry(s.main), hg = s.drv.Geometry(help);
  int cx = h.x + hg.width / 2, cy = h.y + hg.height / 2;
  EXPECT_TRUE(cx > m.x && cx < m.x + mg.width && cy > m.y && cy < m.y + mg.height)
      << "help centred at " << cx << "," << cy;
  ASSERT_TRUE(s.drv.Until([&] { return s.Focus() == help; })) << "the help took no focus";
  // the wheel scrolls the help text
  Window text = s.drv.Child(help, "_krnText_TextBox");
  ASSERT_NE(text, 0u);
  std::vector<unsigned long> top = s.drv.Pixels(text, 0, 0, 300, 60);
  s.drv.Click(text, 100, 100, 1, 5);
  EXPECT_TRUE(s.drv.Until([&] { return s.drv.Pixels(text, 0, 0, 300, 60) != top; }))
      << "the wheel did not scroll the help";
  // moved by the user, closed with Escape, reopened where it was left
  XMoveWindow(s.drv.d, help, 30, 40);
  XSync(s.drv.d, False);
  s.drv.Until([&] { return s.OnScreen(help).x != h.x; });
  XPoint moved = s.OnScreen(help);
  s.drv.Key(0, XK_Escape);
  ASSERT_TRUE(s.drv.WaitGone("Quelmo Help"));
  ASSERT_TRUE(s.drv.Until([&] { return s.Focus() == s.main; }));
  s.Ctrl(XK_h);
  ASSERT_TRUE(s.drv.FindTarget("Quelmo Help"));
  XPoint again = s.OnScreen(s.drv.target);
  if (kWm == "openbox") {  // twm places its windows by its own rules
    EXPECT_EQ(again.x, moved.x);
    EXPECT_EQ(again.y, moved.y);
  }
  s.drv.Key(0, XK_Escape);
  ASSERT_TRUE(s.drv.WaitGone("Quelmo Help"));
  s.drv.Close(s.main);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Desktop, EscapeCancelsTheSaveDialog) {
  NEEDS_CLICK_TO_FOCUS();
  ASSERT_TRUE(Wm().ok());
  krntest::TempDir dir;
  Quelmo q(dir, {"memo.txt"});
  Desktop s;
  ASSERT_TRUE(s.Open());
  s.drv.Click(s.editor, 60, 20);
  s.drv.Type(0, "x");
  s.Ctrl(XK_s);
  Window dialog = s.drv.Wait(DefaultRootWindow(s.drv.d), [](const std::string& t) {
    return t.compare(0, 14, "Save Dialog - ") == 0;
  });
  ASSERT_NE(dialog, 0u);
  ASSERT_TRUE(s.drv.Until([&] { return s.Focus() == dialog; }));
  s.drv.Key(0, XK_Escape);
  EXPECT_TRUE(s.drv.Until([&] {
    return s.drv.Find(DefaultRootWindow(s.drv.d), [](const std::string& t) {
      return t.compare(0, 14, "Save Dialog - ") == 0;
    }) == 0;
  }));
  EXPECT_EQ(krntest::ReadFile(dir.file("memo.txt")), "") << "Escape saved";
  s.drv.Close(s.main);
  ASSERT_TRUE(s.drv.FindTarget("Warning"));
  s.drv.Key(0, XK_Return);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Desktop, TheWheelScrollsTheEditorAlsoInLockMode) {
  NEEDS_CLICK_TO_FOCUS();
  ASSERT_TRUE(Wm().ok());
  krntest::TempDir dir;
  std::string text;
  for (int i = 0; i < 100; i++) text += "line " + std::to_string(i) + "\n";
  krntest::WriteFile(dir.file("long.txt"), text);
  Quelmo q(dir, {"long.txt"});
  Desktop s;
  ASSERT_TRUE(s.Open());
  // the line numbers of the first rows, away from the caret at the left
  auto top = [&] { return s.drv.Pixels(s.editor, 30, 0, 120, 40); };
  // the text drawn and settled (a read during the first paint would never
  // come back)
  std::vector<unsigned long> first = s.drv.SettledPixels(s.editor, 30, 0, 120, 40);
  s.drv.Click(s.editor, 100, 100, 1, 5);
  ASSERT_TRUE(s.drv.Until([&] { return top() != first; })) << "the wheel did not scroll";
  s.drv.Click(s.editor, 100, 100, 1, 4);
  ASSERT_TRUE(s.drv.Until([&] { return top() == first; })) << "the wheel did not scroll back";
  s.Ctrl(XK_c);  // lock
  s.drv.Click(s.editor, 100, 100, 1, 5);
  ASSERT_TRUE(s.drv.Until([&] { return top() != first; })) << "locked, the wheel did not scroll";
  s.drv.Close(s.main);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Desktop, AContextMenuNearTheBottomRightCornerLiesOnTheScreen) {
  NEEDS_CLICK_TO_FOCUS();
  ASSERT_TRUE(Wm().ok());
  krntest::TempDir dir;
  Quelmo q(dir, {"-geometry", "-0-0"});
  Desktop s;
  ASSERT_TRUE(s.Open());
  int sw = DisplayWidth(s.drv.d, 0), sh = DisplayHeight(s.drv.d, 0);
  // the window manager keeps the frame's corner at the screen's: the whole
  // window shows
  ASSERT_TRUE(s.drv.Until([&] {
    XPoint m = s.OnScreen(s.main);
    XRectangle mg = s.drv.Geometry(s.main);
    return m.x + mg.width <= sw && m.y + mg.height <= sh && m.x + mg.width >= sw - 10 &&
           m.y + mg.height >= sh - 10;
  })) << "-0-0 did not put the window in the bottom right corner: "
      << s.OnScreen(s.main).x << "," << s.OnScreen(s.main).y << " " << s.drv.Geometry(s.main).width
      << "x" << s.drv.Geometry(s.main).height << " on " << sw << "x" << sh;
  XRectangle box = s.drv.Geometry(s.box);
  s.drv.Click(s.box, box.width - 30, box.height - 8, 1, 3);
  Window menu = 0;
  ASSERT_TRUE(s.drv.Until([&] { return (menu = s.drv.Named(s.main, "MenuWnd")) != 0; }));
  XPoint at = s.OnScreen(menu), m = s.OnScreen(s.main);
  XRectangle g = s.drv.Geometry(menu), mg = s.drv.Geometry(s.main);
  EXPECT_GE(at.x, 0);
  EXPECT_GE(at.y, 0);
  EXPECT_LE(at.x + g.width, sw);
  EXPECT_LE(at.y + g.height, sh);
  EXPECT_LE(at.y + g.height, m.y + mg.height) << "cut by the window's bottom";
  EXPECT_LE(at.x + g.width, m.x + mg.width) << "cut by the window's right edge";
  s.drv.Key(0, XK_Escape);  // any key closes the menu
  s.drv.Close(s.main);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

}  // namespace
