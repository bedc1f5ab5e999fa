// Popup menus and the menu bar on a private X server, driven with the real
// pointer (XTEST): choosing by press-drag-release from a caption, sub-menus,
// separators, check marks on the screen, context menus by the mouse
// settings, the motion throttle, a callback's 130, and the bar following its
// parent and showing its status text.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#else
#define XTestFakeMotionEvent(...) 0
#define XTestFakeButtonEvent(...) 0
#endif
#include <X11/keysym.h>

#include <map>
#include <string>
#include <vector>

#include "controls/menu.h"
#include "controls/menu_model.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pixels;
using krntest::PumpUntil;

std::map<std::string, int> g_chosen;  // caption -> calls
int g_answer = 1;
int Choose(KrnWindow* menu, int code, long row, long) {
  MenuData* d = static_cast<MenuData*>(menu->option);
  if (code == KRN_MENU_SELECT) g_chosen[static_cast<MenuItem*>(d->items[row])->caption]++;
  return g_answer;
}

void Move(int x, int y) {  // each motion a throttle interval after the last
  XTestFakeMotionEvent(Dpy(), 0, x, y, g_korrin.interval + 5);
  XSync(Dpy(), False);
}
void Button(unsigned int button, bool down) {
  XTestFakeButtonEvent(Dpy(), button, down, 0);
  XSync(Dpy(), False);
}

class Menus : public ::testing::Test {
 protected:
  KrnWindow *frame = nullptr, *sub = nullptr, *menu0 = nullptr, *menu1 = nullptr, *bar = nullptr;
  int h = 0, H = 0;

  void SetUp() override {
#ifndef KRN_HAVE_XTEST
    GTEST_SKIP() << "built without XTEST";
#endif
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 400, 300), 0, "frame", nullptr);
    sub = krnCreateWindow_Menu(Dpy(), frame, "sub");
    menu0 = krnCreateWindow_Menu(Dpy(), frame, "menu0");
    menu1 = krnCreateWindow_Menu(Dpy(), frame, "menu1");
    krnAddItem_Menu(sub, "Deep", Choose, nullptr, nullptr, -1);
    const char* rows[] = {"Open", "", "Lock", "More", "Quit"};
    for (const char* r : rows)
      krnAddItem_Menu(menu0, r, *r ? Choose : nullptr, g_korrin.images[KRN_IMG_FILE],
                      std::string(r) == "More" ? sub : nullptr, -1);
    krnAddItem_Menu(menu1, "About", Choose, nullptr, nullptr, -1);
    bar = krnCreateWindow_MenuBar(Dpy(), frame, "MenuBar", menu0, menu1, "Welcome");
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(krntest::WaitMapped(bar->win));
    h = menumodel::RowHeight(krnGetCharHeight(nullptr));
    H = krnGetHeight_MenuBar();
    PumpUntil([&] { return menu0->rect.width > 20; });
    g_chosen.clear();
    g_answer = 1;
  }
  void TearDown() override {
    krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  // Screen points (the frame sits at the root's corner; bar and menus have a
  // one-pixel border).
  int CaptionX(int which) const {
    const KrnRect& c = static_cast<MenuBarData*>(bar->option)->caption[which];
    return 1 + c.x + c.width / 2;
  }
  int RowY(KrnWindow* m, int row) const {
    return m->rect.y + 1 + 5 + row * h + h / 2;
  }
  bool Shown(KrnWindow* m) const {
    return m->shown == 1;
  }
  // Press on "Menu", drag to the row (-1: far outside), release there.
  void Gesture(int row) {
    Move(CaptionX(0), H / 2);
    Button(1, true);
    ASSERT_TRUE(PumpUntil([&] { return Shown(menu0); }));
    Move(row < 0 ? 300 : 30, row < 0 ? 250 : RowY(menu0, row));
    Button(1, false);
    krntest::Pump();
    krntest::Pump();
  }
};

TEST_F(Menus, PressDragReleaseOnACaptionChoosesExactlyThatItem) {
  const struct {
    int row;          // -1: release outside the menu
    const char* got;  // the one callback that ran, or none
    bool open;        // menu still open afterwards
  } cases[] = {{0, "Open", false}, {2, "Lock", false}, {1, nullptr, true}, {-1, nullptr, true}};
  for (const auto& c : cases) {
    g_chosen.clear();
    krnDetach_Menu(Dpy(), menu0);
    Gesture(c.row);
    SCOPED_TRACE(c.row);
    EXPECT_EQ(g_chosen.size(), c.got ? 1u : 0u);
    if (c.got) {
      EXPECT_EQ(g_chosen[c.got], 1);
    }
    EXPECT_EQ(Shown(menu0), c.open);
  }
  // "?" opens the other menu and closes the first
  Move(CaptionX(1), H / 2);
  Button(1, true);
  Button(1, false);
  ASSERT_TRUE(PumpUntil([&] { return Shown(menu1) && !Shown(menu0); }));
  EXPECT_EQ(menu1->rect.x, static_cast<MenuBarData*>(bar->option)->caption[1].x);
}

TEST_F(Menus, ASubMenuOpensBesideItsRowAndItsItemCanBeChosen) {
  Move(CaptionX(0), H / 2);
  Button(1, true);
  ASSERT_TRUE(PumpUntil([&] { return Shown(menu0); }));
  Move(30, RowY(menu0, 3));
  ASSERT_TRUE(PumpUntil([&] { return Shown(sub); }));
  EXPECT_EQ(sub->rect.x, menu0->rect.x + menu0->rect.width);
  EXPECT_EQ(sub->rect.y, menu0->rect.y + 3 * h);
  Move(menu0->rect.x + menu0->rect.width + 15, RowY(sub, 0));
  ASSERT_TRUE(PumpUntil([&] { return static_cast<MenuData*>(sub->option)->currentItem == 0; }));
  EXPECT_TRUE(Shown(sub));  // left its parent's rows to the right: stays open
  Button(1, false);
  ASSERT_TRUE(PumpUntil([&] { return g_chosen["Deep"] == 1; }));
  EXPECT_FALSE(Shown(sub));
  EXPECT_FALSE(Shown(menu0));
}

TEST_F(Menus, ACheckMarkReplacesTheIconOnTheScreen) {
  KrnImage* check = g_korrin.images[KRN_IMG_CHECK];
  // the check image drawn over the menu's background, as the reference
  Pixmap ref = XCreatePixmap(Dpy(), menu0->win, 16, 16, g_korrin.depth);
  GC gc = XCreateGC(Dpy(), ref, 0, nullptr);
  XSetForeground(Dpy(), gc, menu0->backColor);
  XFillRectangle(Dpy(), ref, gc, 0, 0, 16, 16);
  krnDrawImage(Dpy(), ref, 0, 0, check, 0, 0, 16, 16);
  XSync(Dpy(), False);
  std::vector<unsigned long> want = Pixels(ref, 0, 0, 16, 16), blank(256, menu0->backColor);
  XFreeGC(Dpy(), gc);
  XFreePixmap(Dpy(), ref);
  krnAttach_Menu(Dpy(), menu0, 10, 40);
  int y = menumodel::ImageY(2, h, 16);
  EXPECT_EQ(krnSetCheck_Menu(menu0, 2, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return Pixels(menu0->win, 5, y, 16, 16) == want; }));
  EXPECT_EQ(krnSetCheck_Menu(menu0, 2, 0), 1);  // unchecked: no icon at all
  ASSERT_TRUE(PumpUntil([&] { return Pixels(menu0->win, 5, y, 16, 16) == blank; }));
  EXPECT_EQ(krnSetCheck_Menu(menu0, 5, 1), 0);
}

TEST_F(Menus, AContextMenuOpensWithTheButtonOfTheSettingsOnly) {
  KrnWindow* pane =
      krnCreateWindow(Dpy(), frame, krnSetRect(50, 100, 200, 150), 0, "pane", nullptr);
  krnSetContextMenu(pane, menu1);
  ASSERT_TRUE(krntest::WaitMapped(pane->win));
  int rightHand = g_korrin.mouseRightHand, buttons = g_korrin.mouseButtons;
  const struct {
    int rightHand, buttons;
    unsigned int opens;
  } settings[] = {{1, 3, 3}, {1, 2, 2}, {1, 1, 1}, {0, 3, 1}};
  for (const auto& s : settings) {
    g_korrin.mouseRightHand = s.rightHand;
    g_korrin.mouseButtons = s.buttons;
    for (unsigned int b = 1; b <= 3; b++) {
      Move(120, 160);
      Button(b, true);
      bool opened = PumpUntil([&] { return Shown(menu1); }, b == s.opens ? 5000 : 300);
      SCOPED_TRACE("button " + std::to_string(b) + " setting " + std::to_string(s.buttons));
      EXPECT_EQ(opened, b == s.opens);
      if (opened) {  // its corner under the pointer, in the frame's coordinates
        EXPECT_EQ(menu1->rect.x, 120);
        EXPECT_EQ(menu1->rect.y, 160);
        Move(125, RowY(menu1, 0));  // held: the menu follows and chooses
        Button(b, false);
        EXPECT_TRUE(PumpUntil([&] { return g_chosen["About"] == 1 && !Shown(menu1); }));
        g_chosen.clear();
      } else {
        Button(b, false);
      }
      krnDetach_Menu(Dpy(), menu1);
      krntest::Pump();
    }
  }
  g_korrin.mouseRightHand = rightHand;
  g_korrin.mouseButtons = buttons;
}

TEST_F(Menus, MotionsCloserThanTheIntervalAreIgnored) {
  krnAttach_Menu(Dpy(), menu0, 10, 40);
  ASSERT_TRUE(PumpUntil([&] { return menu0->shown; }));
  MenuData* d = static_cast<MenuData*>(menu0->option);
  const struct {
    Time time;
    int row, current;
  } steps[] = {{100000, 0, 0}, {100010, 2, 0}, {100034, 2, 0}, {100035, 2, 2}, {100040, 3, 2}};
  for (const auto& s : steps) {
    XEvent ev{};
    ev.xmotion.type = MotionNotify;
    ev.xmotion.window = menu0->win;
    ev.xmotion.time = s.time;
    ev.xmotion.x = 30;
    ev.xmotion.y = 5 + s.row * h + 2;
    krnCallWndProc(Dpy(), menu0, &ev, 0);
    EXPECT_EQ(d->currentItem, s.current) << s.time;
  }
  XEvent key = krntest::KeyEvent(frame->win, XK_a);  // any key closes menus
  krnCallWndProc(Dpy(), frame, &key, 1);
  EXPECT_FALSE(Shown(menu0));
}

TEST_F(Menus, AnItemCallbacksQuitIsPassedOnThroughTheDispatch) {
  krnAttach_Menu(Dpy(), menu0, 10, 40);
  ASSERT_TRUE(PumpUntil([&] { return menu0->shown; }));
  g_answer = KRN_QUIT;
  XEvent ev{};
  ev.xbutton.type = ButtonRelease;
  ev.xbutton.window = menu0->win;
  ev.xbutton.x = 30;
  ev.xbutton.y = 5 + 4 * h + 2;  // "Quit"
  EXPECT_EQ(krnCallWndProc(Dpy(), frame, &ev, 1), KRN_QUIT);
  EXPECT_EQ(g_chosen["Quit"], 1);
  EXPECT_FALSE(Shown(menu0));
}

TEST_F(Menus, TheBarFollowsItsParentAndShowsItsStatusText) {
  EXPECT_EQ(krnCreateWindow_MenuBar(Dpy(), frame, "second", nullptr, nullptr, "x"), nullptr);
  KrnWindow* status = static_cast<MenuBarData*>(bar->option)->status;
  const KrnRect& c1 = static_cast<MenuBarData*>(bar->option)->caption[1];
  int a = c1.x + c1.width + 4;
  const struct { int width, status; } sizes[] = {{600, 600 - a}, {a + 10, a}, {400, 400 - a}};
  for (const auto& s : sizes) {
    XResizeWindow(Dpy(), frame->win, s.width, 300);
    EXPECT_TRUE(PumpUntil([&] {
      return bar->rect.width == s.width && status->rect.width == s.status;
    })) << s.width
        << ": " << bar->rect.width << " " << status->rect.width;
  }
  PumpUntil([] { return false; }, 100);
  std::vector<unsigned long> before = Pixels(status->win, 0, 0, 150, status->rect.height);
  EXPECT_EQ(krnSetStatus_MenuBar(bar, "Welcome"), 1);
  EXPECT_EQ(krnSetStatus_MenuBar(bar, "Loaded 1234 bytes"), 1);
  EXPECT_TRUE(
      PumpUntil([&] { return Pixels(status->win, 0, 0, 150, status->rect.height) != before; }));
}

TEST_F(Menus, CyclicLinksAndDestroyedMenusLeaveNothingDangling) {
  krnAddItem_Menu(sub, "Back", nullptr, nullptr, menu0, -1);  // sub -> menu0 -> sub
  krnAttach_Menu(Dpy(), menu0, 10, 40);
  krnAttach_Menu(Dpy(), sub, 100, 40);
  EXPECT_EQ(krnDetach_Menu(Dpy(), menu0), 1);
  EXPECT_FALSE(Shown(sub));
  krnSetContextMenu(frame, menu1);
  krnDestroyWindow(Dpy(), menu1);
  krnDestroyWindow(Dpy(), sub);
  EXPECT_EQ(frame->contextMenu, nullptr);
  EXPECT_EQ(krnGetMenuItem_MenuBar(bar, 1), nullptr);
  EXPECT_EQ(static_cast<MenuItem*>(static_cast<MenuData*>(menu0->option)->items[3])->link, nullptr);
}

// Every menu links its two neighbours in a ring twice each: exponentially
// many paths, yet each walk visits every menu once.
TEST_F(Menus, WalksAlongDenseLinkCyclesVisitEachMenuOnce) {
  const int n = 30;
  std::vector<KrnWindow*> ring;
  for (int i = 0; i < n; i++)
    ring.push_back(krnCreateWindow_Menu(Dpy(), frame, ("ring" + std::to_string(i)).c_str()));
  for (int i = 0; i < n; i++)
    for (int k : {1, n - 1, 1, n - 1})
      krnAddItem_Menu(ring[i], "Link", nullptr, nullptr, ring[(i + k) % n], -1);
  for (int i = 0; i < n; i++) krnAttach_Menu(Dpy(), ring[i], 5 * i, 40);
  long before = MenuWalkSteps();
  EXPECT_EQ(krnDetach_Menu(Dpy(), ring[0]), 1);
  EXPECT_EQ(MenuWalkSteps() - before, n);
  for (KrnWindow* m : ring) EXPECT_FALSE(Shown(m));

  // A press on a context window asks every menu whether it runs from the
  // context menu: one walk per menu at most.
  for (int i = 0; i < n; i++) krnAttach_Menu(Dpy(), ring[i], 5 * i, 40);
  krnSetContextMenu(frame, ring[0]);
  XEvent press{};
  press.xbutton.type = ButtonPress;
  press.xbutton.window = frame->win;
  press.xbutton.button = 1;
  before = MenuWalkSteps();
  krnCallWndProc(Dpy(), frame, &press, 1);
  EXPECT_LE(MenuWalkSteps() - before, 2L * (n + 4) * (n + 4));
  for (KrnWindow* m : ring) EXPECT_FALSE(Shown(m));
  krnSetContextMenu(frame, nullptr);
}

TEST_F(Menus, AParentNarrowerThanTheCaptionsGetsAWorkingBar) {
  KrnWindow* narrow =
      krnCreateWindow(Dpy(), nullptr, krnSetRect(500, 0, 40, 200), 0, "narrow", nullptr);
  KrnWindow* m = krnCreateWindow_Menu(Dpy(), narrow, "narrowMenu");
  krnAddItem_Menu(m, "Open", Choose, nullptr, nullptr, -1);
  KrnWindow* b = krnCreateWindow_MenuBar(Dpy(), narrow, "narrowBar", m, nullptr, "Welcome");
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(krntest::WaitMapped(b->win));
  KrnWindow* status = static_cast<MenuBarData*>(b->option)->status;
  EXPECT_GE(status->rect.width, 1);
  EXPECT_LT(status->rect.width, 200);
  Move(500 + 10, H / 2);
  Button(1, true);
  Button(1, false);
  EXPECT_TRUE(PumpUntil([&] { return Shown(m); }));
  krnDestroyWindow(Dpy(), narrow);
}

// A context menu closed by a key or by choosing an item leaves no trace:
// what it covered, its frame included, is painted again.
TEST_F(Menus, AClosedMenuLeavesNoTraceOfItsFrame) {
  KrnWindow* pane =
      krnCreateWindow(Dpy(), frame, krnSetRect(50, 100, 200, 150), 0, "pane", nullptr);
  krnSetContextMenu(pane, menu1);
  ASSERT_TRUE(krntest::WaitMapped(pane->win));
  XSetForeground(Dpy(), pane->gc, g_korrin.colors[KRN_GREEN]);  // a picture in its buffer
  XFillRectangle(Dpy(), krnGetDraw(pane), pane->gc, 10, 10, 180, 130);
  krnRedrawWindow(Dpy(), pane);
  auto shot = [&] { return Pixels(frame->win, 0, 0, 400, 300); };
  ASSERT_TRUE(
      PumpUntil([&] { return krntest::Pixel(pane->win, 100, 100) == g_korrin.colors[KRN_GREEN]; }));
  std::vector<unsigned long> before = shot();
  for (const char* way : {"key", "item"}) {
    SCOPED_TRACE(way);
    krnAttach_Menu(Dpy(), menu1, 60, 110);  // over the pane and its edge
    ASSERT_TRUE(PumpUntil([&] { return shot() != before; }));
    XEvent ev{};
    if (std::string(way) == "key") {
      ev = krntest::KeyEvent(pane->win, XK_Escape);
      krnCallWndProc(Dpy(), frame, &ev, 1);
    } else {
      ev.xbutton.type = ButtonRelease;
      ev.xbutton.window = menu1->win;
      ev.xbutton.x = 30;
      ev.xbutton.y = 5 + h / 2;  // "About"
      krnCallWndProc(Dpy(), frame, &ev, 1);
      EXPECT_EQ(g_chosen["About"], 1);
    }
    EXPECT_FALSE(Shown(menu1));
    EXPECT_TRUE(PumpUntil([&] { return shot() == before; })) << "the menu left a trace";
  }
}

TEST_F(Menus, AMenuOpenedRightAfterItsItemsChangedHasTheirSize) {
  KrnWindow* m = krnCreateWindow_Menu(Dpy(), frame, "fresh");
  krnAddItem_Menu(m, "A much longer caption", Choose, nullptr, nullptr, -1);
  krnAddItem_Menu(m, "Two", Choose, nullptr, nullptr, -1);
  krnDeleteItem_Menu(m, -1);  // back to one row before the server answered
  krnAttach_Menu(Dpy(), m, 5, 5);
  int width = krnTextWidth(reinterpret_cast<const unsigned char*>("A much longer caption")) + 10;
  EXPECT_TRUE(PumpUntil([&] { return m->rect.width == width && m->rect.height == h + 10; }))
      << m->rect.width << "x" << m->rect.height;
  XWindowAttributes a;
  XGetWindowAttributes(Dpy(), m->win, &a);
  EXPECT_EQ(a.width, width);
  EXPECT_EQ(a.height, h + 10);
}

}  // namespace
