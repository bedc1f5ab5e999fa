// The list box on a private X server: the scroll bar's arrow and track
// clicked through XTEST scroll the list, program scrolls move the scroll
// bar, adding and deleting keep its range, a click on a row reaches the
// box's own callback, and a resize lays both children out again.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <string>
#include <utility>
#include <vector>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::PumpUntil;

std::vector<std::pair<KrnWindow*, std::pair<int, long>>> g_calls;
int Record(KrnWindow* window, int code, long row, long) {
  g_calls.push_back({window, {code, row}});
  return 1;
}

constexpr int kW = 200, kH = 100;  // the box, at (0, 0) of a top-level frame at (0, 0)

class Box : public ::testing::Test {
 protected:
  KrnWindow* frame = nullptr;
  KrnWindow* box = nullptr;
  KrnWindow* list = nullptr;
  KrnWindow* scroll = nullptr;

  void SetUp() override {
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 300, 200), 0, "frame", nullptr);
    box = krnCreateWindow_ListBox(Dpy(), frame, krnSetRect(0, 0, kW, kH), "box");
    ASSERT_NE(box, nullptr);
    for (int i = 0; i < 30; i++)
      ASSERT_EQ(krnAddItem_ListBox(Dpy(), box, ("row " + std::to_string(i)).c_str(), nullptr, -1),
                1);
    krnSetEventCallback_ListBox(box, Record);
    list = krnGetAttachListWnd_ListBox(box);
    scroll = krnGetChildWindow(box, "_krnScroll_ListBox");
    ASSERT_NE(list, nullptr);
    ASSERT_NE(scroll, nullptr);
    ASSERT_TRUE(krntest::WaitMapped(scroll->win));
    krntest::Pump();
    g_calls.clear();
  }
  void TearDown() override {
    if (frame) krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  void ClickAt(int x, int y) {
#ifdef KRN_HAVE_XTEST
    XTestFakeMotionEvent(Dpy(), 0, x, y, 0);
    XTestFakeButtonEvent(Dpy(), 1, True, 0);
    XTestFakeButtonEvent(Dpy(), 1, False, 0);
    XSync(Dpy(), False);
#else
    (void)x, (void)y;
#endif
  }
};

#ifdef KRN_HAVE_XTEST
#define REQUIRE_XTEST()
#else
#define REQUIRE_XTEST() GTEST_SKIP() << "built without XTEST"
#endif

TEST_F(Box, TheScrollBarScrollsTheList) {
  REQUIRE_XTEST();
  int rh = krnGetRowHeight_ListWnd(list), page = kH / rh;
  EXPECT_EQ(krnGetMax_ScrollBar(scroll), 30 * rh);
  EXPECT_EQ(krnGetMin_ScrollBar(scroll), rh);
  ClickAt(kW - 9, kH - 9);  // the down arrow
  ASSERT_TRUE(PumpUntil([&] { return krnGetPos_ListBox(box) == 1; }));
  ClickAt(kW - 9, kH - 22);  // the track below the thumb: one page
  ASSERT_TRUE(PumpUntil([&] { return krnGetPos_ListBox(box) == 1 + page; }));
  EXPECT_EQ(krnGetPos_ScrollBar(scroll), 1 + page);
  ClickAt(kW - 9, 9);  // the up arrow
  ASSERT_TRUE(PumpUntil([&] { return krnGetPos_ListBox(box) == page; }));
  // the list shows the rows from there: a click on its first row is that row
  ClickAt(20, 1 + rh / 2);
  ASSERT_TRUE(PumpUntil([&] { return !g_calls.empty(); }));
  EXPECT_EQ(g_calls[0].first, box);
  EXPECT_EQ(g_calls[0].second, std::make_pair(static_cast<int>(KRN_SELECT), (long)page));
  EXPECT_EQ(krnGetSelect_ListBox(box), page);
  EXPECT_STREQ(krnGetName_ListBox(box, page), ("row " + std::to_string(page)).c_str());
}

TEST_F(Box, ProgramScrollsAndEditsKeepTheScrollBarInStep) {
  int rh = krnGetRowHeight_ListWnd(list);
  EXPECT_EQ(krnSetPos_ListBox(box, 20), 1);
  EXPECT_EQ(krnGetPos_ListWnd(list), 20);
  EXPECT_EQ(krnGetPos_ScrollBar(scroll), 20);
  EXPECT_EQ(krnSetPos_ListBox(box, 30), 1);  // not below the size: nothing
  EXPECT_EQ(krnGetPos_ListBox(box), 20);
  for (int i = 0; i < 8; i++) krnDeleteItem_ListBox(box, -1);
  EXPECT_EQ(krnGetSize_ListBox(box), 22);
  EXPECT_EQ(krnGetMax_ScrollBar(scroll), 22 * rh);
  EXPECT_EQ(krnGetPos_ScrollBar(scroll), krnGetPos_ListBox(box));
  EXPECT_LT(krnGetPos_ListBox(box), 20);  // the top moved up as the page emptied
  EXPECT_EQ(krnAddItem_ListBox(Dpy(), box, "new", nullptr, 0), 1);
  EXPECT_EQ(krnGetMax_ScrollBar(scroll), 23 * rh);
  EXPECT_STREQ(krnGetName_ListBox(box, 0), "new");
  // another kind of window
  EXPECT_EQ(krnGetSelect_ListBox(list), 0);
  EXPECT_EQ(krnGetAttachListWnd_ListBox(list), nullptr);
  EXPECT_EQ(krnAddItem_ListBox(Dpy(), nullptr, "x", nullptr, -1), 0);
}

// The X geometry of a child (a record keeps its position on a move that
// also resizes).
XRectangle Geometry(KrnWindow* w) {
  Window root;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border, depth;
  XGetGeometry(Dpy(), w->win, &root, &x, &y, &width, &height, &border, &depth);
  return krnSetRect(x, y, width, height);
}

TEST_F(Box, AResizeLaysTheChildrenOut) {
  XResizeWindow(Dpy(), box->win, 250, 150);
  int s = krnGetHeight_ScrollBar();
  ASSERT_TRUE(PumpUntil([&] {
    XRectangle l = Geometry(list), b = Geometry(scroll);
    return l.width == 250 - s && l.height == 150 && b.x == 250 - s && b.height == 150;
  }));
  XResizeWindow(Dpy(), box->win, 10, 10);  // too small: left as it was
  krntest::Pump();
  krntest::Pump();
  EXPECT_EQ(Geometry(list).width, 250 - s);
}

}  // namespace
