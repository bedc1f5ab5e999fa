// Window records and the registry on a private X server: creation order,
// lookups, setters, destruction children first.
#include <xharness.h>

#include <dlfcn.h>
#include <string.h>

#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, true);

// A window of another client that vanishes right after the root's children
// have been listed, as windows of other programs may at any moment.
static Display* g_vanishDisplay = nullptr;
static Window g_vanishWindow = 0;

extern "C" Status XQueryTree(Display* display, Window w, Window* root, Window* parent,
                             Window** children, unsigned int* n) {
  using Real = Status (*)(Display*, Window, Window*, Window*, Window**, unsigned int*);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "XQueryTree"));
  Status status = real(display, w, root, parent, children, n);
  if (g_vanishDisplay) {
    XDestroyWindow(g_vanishDisplay, g_vanishWindow);
    XSync(g_vanishDisplay, False);
    g_vanishDisplay = nullptr;
  }
  return status;
}

namespace {

using krntest::Dpy;

// What the destroy notifications saw: each window's name, marked with "!"
// when the top window of the test had already been released by then.
std::vector<std::string> g_destroyLog;
KrnWindow* g_top = nullptr;

int LogDestroy(Display*, KrnWindow* w, XEvent* ev) {
  if (ev->type == KRN_EV_DESTROY) {
    bool topAlive = g_top && CheckKrnPointer(g_top) && g_top->draw && g_top->gc;
    g_destroyLog.push_back(std::string(w->name ? w->name : "?") + (topAlive ? "" : "!"));
  }
  return w->result;
}

KrnWindow* Make(const char* name, KrnWindow* parent = nullptr, KrnWndProc proc = nullptr) {
  return krnCreateWindow(Dpy(), parent, krnSetRect(10, 10, 100, 80), 1, name, proc);
}

TEST(Window, RegistryAndChildrenKeepCreationOrder) {
  KrnWindow* top = Make("top");
  KrnWindow* a = Make("a", top);
  KrnWindow* b = Make("b", top);
  KrnWindow* c = Make("c", top);
  ASSERT_TRUE(top && a && b && c);
  EXPECT_EQ(krnGetTotalWindows(), 4);
  EXPECT_EQ(krnGetWindowFromIndex(0), top);
  EXPECT_EQ(krnGetWindowFromIndex(3), c);
  EXPECT_EQ(krnGetWindowFromIndex(4), nullptr);
  EXPECT_EQ(krnGetWindowFromIndex(-1), nullptr);
  EXPECT_EQ(krnGetTotalChildWindows(top), 3);
  EXPECT_EQ(krnGetChildWindowFromIndex(top, 1), b);
  EXPECT_EQ(krnGetChildWindow(top, "c"), c);
  EXPECT_EQ(krnGetChildWindowFromXWindow(top, a->win), a);
  EXPECT_EQ(krnGetWindowFromXWindow(b->win), b);
  EXPECT_EQ(krnGetTopWindow(c), top);
  EXPECT_EQ(b->parentWin, top->win);
  EXPECT_EQ(top->parentWin, RootWindow(Dpy(), 0));
  EXPECT_TRUE(CheckChildWindow(top, c->win));
  EXPECT_FALSE(CheckChildWindow(a, c->win));

  // Destroying a child alone keeps the order of the others.
  krnDestroyWindow(Dpy(), b);
  EXPECT_FALSE(CheckKrnPointer(b));
  EXPECT_EQ(krnGetTotalChildWindows(top), 2);
  EXPECT_EQ(krnGetChildWindowFromIndex(top, 0), a);
  EXPECT_EQ(krnGetChildWindowFromIndex(top, 1), c);
  EXPECT_EQ(krnGetWindowFromIndex(2), c);
  krnDestroyWindow(Dpy(), top);
  EXPECT_EQ(krnGetTotalWindows(), 0);
  EXPECT_EQ(g_krnKorrinManager, nullptr);
}

TEST(Window, CreatedWithTheRecordDefaults) {
  KrnWindow* w = Make("defaults");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowKind, KRN_KIND_WINDOW);
  EXPECT_EQ(w->result, 1);
  EXPECT_EQ(w->defaultWndProcEvent, 1);
  EXPECT_EQ(w->redrawBuffer, 1);  // no procedure given
  EXPECT_EQ(w->wndProc, krnWndProc_Default);
  EXPECT_EQ(w->maxWidth, 2 * g_korrin.screenWidth);
  EXPECT_EQ(w->backColor, g_korrin.setColors[KRN_SC_BACK]);
  EXPECT_EQ(w->backFontColor, g_korrin.setColors[KRN_SC_BACKFONT]);
  EXPECT_EQ(w->drawRect.width, 100);
  EXPECT_STREQ(w->name, "defaults");
  // The buffer starts painted with the back colour.
  EXPECT_EQ(krntest::Pixel(w->draw, 50, 40), w->backColor);
  // The window manager's delete protocol is registered.
  Atom* protocols = nullptr;
  int n = 0;
  ASSERT_TRUE(XGetWMProtocols(Dpy(), w->win, &protocols, &n));
  ASSERT_EQ(n, 1);
  EXPECT_EQ(protocols[0], w->wmDeleteWindow);
  XFree(protocols);
  KrnWindow* custom = Make("withproc", nullptr, LogDestroy);
  EXPECT_EQ(custom->redrawBuffer, 0);
  krnDestroyWindow(Dpy(), custom);
  krnDestroyWindow(Dpy(), w);
}

TEST(Window, DestroyingAParentDestroysChildrenFirst) {
  g_destroyLog.clear();
  KrnWindow* top = g_top = Make("p", nullptr, LogDestroy);
  KrnWindow* a = Make("a", top, LogDestroy);
  Make("a1", a, LogDestroy);
  Make("b", top, LogDestroy);
  krnDestroyWindow(Dpy(), top);
  g_top = nullptr;
  // The parent is told first, then its subtree depth first in creation
  // order, every one while the parent's record and resources still exist.
  EXPECT_EQ(g_destroyLog, (std::vector<std::string>{"p", "a", "a1", "b"}));
  EXPECT_EQ(krnGetTotalWindows(), 0);
}

TEST(Window, NameLookupAndCaption) {
  KrnWindow* first = Make("same");
  KrnWindow* second = Make("same");
  KrnWindow* unnamed = Make(nullptr);
  EXPECT_EQ(krnGetWindow("same"), first);
  EXPECT_EQ(krnGetWindow(nullptr), nullptr);
  EXPECT_EQ(unnamed->name, nullptr);
  EXPECT_EQ(krnSetCaption(second, "X"), 1);
  EXPECT_EQ(krnGetWindow("X"), second);
  EXPECT_EQ(krnGetWindow("same"), first);
  krnDestroyWindow(Dpy(), first);
  EXPECT_EQ(krnGetWindow("same"), nullptr);
  char* title = nullptr;
  ASSERT_TRUE(XFetchName(Dpy(), second->win, &title));
  EXPECT_STREQ(title, "X");
  XFree(title);
  EXPECT_EQ(krnSetCaption(nullptr, "Y"), 0);
  krnDestroyWindow(Dpy(), second);
  krnDestroyWindow(Dpy(), unnamed);
}

TEST(Window, SettersRespectNullKindAndTopLevelRules) {
  KrnWindow* top = Make("top");
  KrnWindow* child = Make("child", top);
  KrnWindow* plain = Make("plain");
  auto key = [](KrnWindow*, XEvent*, KeySym) { return 1; };
  EXPECT_EQ(krnSetKeyEventCallback(child, key), 1);
  EXPECT_EQ(child->keyEventCallback, nullptr);
  EXPECT_EQ(krnSetKeyEventCallback(top, key), 1);
  EXPECT_NE(top->keyEventCallback, nullptr);
  auto idle = [](KrnWindow*) { return 1; };
  EXPECT_EQ(krnSetIdolingCallback(child, idle), 1);
  EXPECT_EQ(child->idlingCallback, nullptr);

  EXPECT_EQ(krnSetContextMenu(top, plain), 0);  // kind 1000 is not a menu
  EXPECT_EQ(top->contextMenu, nullptr);
  krnSetWindowKind(plain, KRN_KIND_MENU);
  EXPECT_EQ(krnSetContextMenu(top, plain), 1);
  EXPECT_EQ(top->contextMenu, plain);
  EXPECT_EQ(krnSetContextMenu(top, nullptr), 1);
  EXPECT_EQ(top->contextMenu, nullptr);

  EXPECT_EQ(krnSetWndProc(top, LogDestroy), 1);
  EXPECT_EQ(top->redrawBuffer, 0);
  EXPECT_EQ(krnSetWndProc(top, nullptr), 1);
  EXPECT_EQ(top->redrawBuffer, 1);
  EXPECT_EQ(top->wndProc, krnWndProc_Default);
  krnSetRedrawBuffer(top, 0);
  EXPECT_EQ(krnSetAutoRedraw(top, 5), 1);
  EXPECT_EQ(top->autoRedraw, 1);
  EXPECT_EQ(top->redrawBuffer, 1);

  EXPECT_EQ(krnCallEventCallback(nullptr, 1, 2, 3), 0);
  EXPECT_EQ(krnCallEventCallback(top, 1, 2, 3), 1);
  krnSetEventCallback(top, [](KrnWindow*, int code, long value, long extra) {
    return (int)(code + value + extra);
  });
  EXPECT_EQ(krnCallEventCallback(top, 100, 20, 3), 123);

  // Every setter tolerates a null window.
  EXPECT_EQ(krnSetWindowKind(nullptr, 1), 0);
  EXPECT_EQ(krnSetOption(nullptr, nullptr), 0);
  EXPECT_EQ(krnSetMinMaxSize(nullptr, 1, 1, 2, 2), 0);
  EXPECT_EQ(krnSetDestructCallBack(nullptr, nullptr), 1);
  EXPECT_EQ(krnShowWindow(nullptr, 1), 0);
  EXPECT_EQ(krnCheckShowWindow(nullptr), 0);
  EXPECT_EQ(krnGetXWindow(nullptr), 0u);
  EXPECT_EQ(krnGetDraw(nullptr), 0u);
  EXPECT_EQ(krnGetTopWindow(nullptr), nullptr);
  EXPECT_EQ(krnDestroyWindow(Dpy(), nullptr), 0);
  krnDestroyWindow(Dpy(), top);
  krnDestroyWindow(Dpy(), plain);
}

TEST(Window, OptionAndDestructCallbackAreReleased) {
  static int destructed = 0;
  destructed = 0;
  KrnWindow* w = Make("opt");
  krnSetOption(w, malloc(64));  // freed with the window (ASan would report a leak)
  krnSetDestructCallBack(w, [] { destructed++; });
  krnDestroyWindow(Dpy(), w);
  EXPECT_EQ(destructed, 1);
}

TEST(Window, DrawStampsNeverRepeatZeroOrOne) {
  KrnWindow* w = Make("stamp");
  unsigned int prev = 0;
  bool wrapped = false;
  for (int i = 0; i < 10000000 + 5; i++) {
    krnGetDraw(w);
    unsigned int s = w->drawStamp;
    ASSERT_GE(s, 2u);
    ASSERT_LE(s, 10000000u);
    if (s < prev) {
      wrapped = true;
      EXPECT_EQ(prev, 10000000u);
      EXPECT_EQ(s, 2u);
    }
    prev = s;
  }
  EXPECT_TRUE(wrapped);
  krnDestroyWindow(Dpy(), w);
}

TEST(Window, GeometryStringIsClampedToTheLimits) {
  KrnWindow* w = Make("geo");
  ASSERT_TRUE(krntest::WaitMapped(w->win));
  krnSetMinMaxSize(w, 20, 20, 150, 400);
  EXPECT_EQ(krnSetGeometry(w, ""), 0);
  EXPECT_EQ(krnSetGeometry(nullptr, "10x10"), 0);
  EXPECT_EQ(krnSetGeometry(w, "200x100"), 1);
  XWindowAttributes a;
  ASSERT_TRUE(krntest::WaitFor([&] {
    XGetWindowAttributes(Dpy(), w->win, &a);
    return a.width == 150;
  }));
  EXPECT_EQ(a.height, 100);
  EXPECT_EQ(a.x, 10);  // position kept from the record
  EXPECT_EQ(a.y, 10);
  EXPECT_EQ(krnSetGeometry(w, "5x5+30+40"), 1);
  ASSERT_TRUE(krntest::WaitFor([&] {
    XGetWindowAttributes(Dpy(), w->win, &a);
    return a.x == 30;
  }));
  EXPECT_EQ(a.width, 20);
  EXPECT_EQ(a.y, 40);
  krnDestroyWindow(Dpy(), w);
}

// The window manager learns which corner a geometry's offsets measure from,
// and later size limits do not wipe it out.
TEST(Window, GeometryTellsTheWindowManagerItsCorner) {
  struct Case {
    const char* geometry;
    int gravity;
    long flags;
  } cases[] = {
      {"-0-0", SouthEastGravity, USPosition}, {"+5-0", SouthWestGravity, USPosition},
      {"-5+0", NorthEastGravity, USPosition}, {"+5+5", NorthWestGravity, USPosition},
      {"100x80", NorthWestGravity, USSize},
  };
  for (const Case& c : cases) {
    KrnWindow* w = Make("corner");
    ASSERT_EQ(krnSetGeometry(w, c.geometry), 1);
    krnSetMinMaxSize(w, 10, 10, 500, 500);
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(Dpy(), w->win, &hints, &supplied)) << c.geometry;
    EXPECT_TRUE(hints.flags & PWinGravity) << c.geometry;
    EXPECT_EQ(hints.win_gravity, c.gravity) << c.geometry;
    EXPECT_TRUE(hints.flags & c.flags) << c.geometry;
    EXPECT_EQ(hints.max_width, 500) << c.geometry;
    krnDestroyWindow(Dpy(), w);
  }
}

TEST(Window, StackRectsListWhatCoversTheWindow) {
  KrnWindow* w = Make("under");
  krnMoveResizeWindow(w, krnSetRect(0, 0, 200, 200));
  w->rect = krnSetRect(0, 0, 200, 200);
  KrnWindow* over =
      krnCreateWindow(Dpy(), nullptr, krnSetRect(150, 160, 100, 100), 0, "over", nullptr);
  ASSERT_TRUE(krntest::WaitMapped(w->win) && krntest::WaitMapped(over->win));
  krnRaiseWindow(over);
  XSync(Dpy(), False);
  void** rects = krnGetStackWindowRect(w);
  ASSERT_NE(rects, nullptr);
  bool found = false;
  for (int i = 0; i < krnGetTotal_ObjArray(rects); i++) {
    KrnRect* r = (KrnRect*)krnGetItem_ObjArray(rects, i);
    if (r->x == 150 && r->y == 160 && r->width == 50 && r->height == 40) found = true;
  }
  EXPECT_TRUE(found);
  krnFree_ObjArray(rects);
  krnDestroyWindow(Dpy(), over);
  krnDestroyWindow(Dpy(), w);
}

TEST(Window, StackRectsSkipAWindowThatVanishesMeanwhile) {
  KrnWindow* w = Make("under2");
  krnMoveResizeWindow(w, krnSetRect(0, 0, 200, 200));
  w->rect = krnSetRect(0, 0, 200, 200);
  Display* other = XOpenDisplay(krntest::DisplayName().c_str());
  ASSERT_NE(other, nullptr);
  Window ghost = XCreateSimpleWindow(other, RootWindow(other, 0), 50, 50, 30, 30, 0, 0, 0);
  XMapRaised(other, ghost);
  XSync(other, False);
  ASSERT_TRUE(krntest::WaitMapped(w->win) && krntest::WaitMapped(ghost));
  g_vanishDisplay = other;
  g_vanishWindow = ghost;
  void** rects = krnGetStackWindowRect(w);
  EXPECT_EQ(g_vanishDisplay, nullptr);  // it did vanish in between
  ASSERT_NE(rects, nullptr);
  EXPECT_EQ(krnGetTotal_ObjArray(rects), 0);
  krnFree_ObjArray(rects);
  // Errors of other requests still reach the handler in force.
  static int errors = 0;
  XErrorHandler outer = XSetErrorHandler([](Display*, XErrorEvent*) { return errors++, 0; });
  krnFree_ObjArray(krnGetStackWindowRect(w));
  XMapWindow(Dpy(), ghost);  // gone: BadWindow
  XSync(Dpy(), False);
  EXPECT_EQ(errors, 1);
  XSetErrorHandler(outer);
  XCloseDisplay(other);
  krnDestroyWindow(Dpy(), w);
}

}  // namespace
