// The list window on a private X server: clicks, double clicks and Shift and
// Control selection through XTEST, the highlight frame following the real
// pointer (also after a quick move), partial repaints that show what a full
// repaint shows, icons, the empty list and the public operations.
#include <xharness.h>

#include <X11/keysym.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "controls/listwnd_model.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pixel;
using krntest::Pixels;
using krntest::PumpUntil;

std::vector<std::pair<int, long>> g_calls;
int Record(KrnWindow*, int code, long row, long) {
  g_calls.push_back({code, row});
  return 1;
}

constexpr int kLeft = 10, kTop = 10;  // the list's place in the top-level frame at (0, 0)

class List : public ::testing::Test {
 protected:
  KrnWindow* frame = nullptr;
  KrnWindow* list = nullptr;
  int rh = 0;

  void Make(int items, int height = 100) {
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 300, 200), 0, "frame", nullptr);
    list = krnCreateWindow_ListWnd(Dpy(), frame, krnSetRect(kLeft, kTop, 200, height), "list");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < items; i++)
      krnAddItem_ListWnd(Dpy(), list, ("item " + std::to_string(i)).c_str(), nullptr, -1, 1);
    krnSetEventCallback_ListWnd(list, Record);
    rh = krnGetRowHeight_ListWnd(list);
    ASSERT_TRUE(krntest::WaitMapped(list->win));
    krntest::Pump();
    g_calls.clear();
  }
  void TearDown() override {
    if (frame) krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  ListWndData* D() const { return static_cast<ListWndData*>(list->option); }
  int RowY(int row) const { return 1 + (row - D()->top) * rh; }
  std::string Selection() const {
    std::string s;
    for (int i = 0; i < krnGetSize_ListWnd(list); i++)
      s += krnIsSelect_ListWnd(list, i) ? 'x' : '.';
    return s;
  }
  std::vector<unsigned long> Screen() const {
    return Pixels(list->win, 0, 0, list->rect.width, list->rect.height);
  }
  std::vector<unsigned long> FullRepaint() {
    krnSendEvent(list, KRN_EV_REDRAW);
    XSync(Dpy(), False);
    return Screen();
  }
};

#ifdef KRN_HAVE_XTEST
void MoveTo(int row, int rh, unsigned long delay = 0) {
  XTestFakeMotionEvent(Dpy(), 0, kLeft + 30, kTop + 1 + row * rh + rh / 2, delay);
}
void Click(int row, int rh, KeySym modifier = 0) {
  KeyCode mod = modifier ? XKeysymToKeycode(Dpy(), modifier) : 0;
  if (mod) XTestFakeKeyEvent(Dpy(), mod, True, 0);
  MoveTo(row, rh);
  XTestFakeButtonEvent(Dpy(), 1, True, 0);
  XTestFakeButtonEvent(Dpy(), 1, False, 0);
  if (mod) XTestFakeKeyEvent(Dpy(), mod, False, 0);
  XSync(Dpy(), False);
}
#define REQUIRE_XTEST()
#else
#define REQUIRE_XTEST() GTEST_SKIP() << "built without XTEST"
void MoveTo(int, int, unsigned long = 0) {}
void Click(int, int, KeySym = 0) {}
#endif

TEST_F(List, ClicksAndDoubleClicksAreReported) {
  REQUIRE_XTEST();
  Make(5);
  Click(1, rh);
  Click(1, rh);
  Click(1, rh);  // a third quick press starts over
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 3; }));
  using P = std::pair<int, long>;
  EXPECT_EQ(g_calls, (std::vector<P>{{KRN_SELECT, 1}, {KRN_DBLCLICK, 1}, {KRN_SELECT, 1}}));
  g_calls.clear();
  Click(2, rh);
  Click(3, rh);  // quick, but on another row
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 2; }));
  EXPECT_EQ(g_calls, (std::vector<P>{{KRN_SELECT, 2}, {KRN_SELECT, 3}}));
  EXPECT_EQ(krnGetSelect_ListWnd(list), 3);
  EXPECT_EQ(Selection(), "...x.");
}

TEST_F(List, ShiftAndControlClicksSelectRunsAndSingleRows) {
  REQUIRE_XTEST();
  Make(6);
  Click(1, rh);
  Click(4, rh, XK_Shift_L);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 2; }));
  EXPECT_EQ(Selection(), ".xxxx.");
  Click(2, rh, XK_Control_L);
  Click(5, rh, XK_Control_L);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 4; }));
  EXPECT_EQ(Selection(), ".x.xxx");
  EXPECT_EQ(krnGetSelectCount_ListWnd(list), 4);
  krnSetSingle_ListWnd(list, 1);  // clears; modifiers count no more
  EXPECT_EQ(Selection(), "......");
  Click(0, rh);
  Click(3, rh, XK_Shift_L);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 6; }));
  EXPECT_EQ(Selection(), "...x..");
}

TEST_F(List, TheHighlightFollowsThePointer) {
  REQUIRE_XTEST();
  Make(5);
  unsigned long dark = g_korrin.setColors[KRN_SC_BACKDARK];
  MoveTo(2, rh);
  XSync(Dpy(), False);
  ASSERT_TRUE(PumpUntil([&] { return D()->hot == 2; }));
  krntest::Pump();
  EXPECT_EQ(Pixel(list->win, 100, RowY(2)), dark);  // the sunken frame's top edge
  // a quick move: the last motions fall inside the throttle interval
  for (int row : {3, 4, 1, 4}) MoveTo(row, rh);
  XSync(Dpy(), False);
  ASSERT_TRUE(PumpUntil([&] { return D()->hot == 4; }));
  krntest::Pump();
  EXPECT_EQ(Pixel(list->win, 100, RowY(4)), dark);
  EXPECT_NE(Pixel(list->win, 100, RowY(2)), dark);
  std::vector<unsigned long> partial = Screen();
  EXPECT_EQ(partial, FullRepaint());
#ifdef KRN_HAVE_XTEST
  XTestFakeMotionEvent(Dpy(), 0, 280, 180, 0);  // out of the list
  XSync(Dpy(), False);
#endif
  ASSERT_TRUE(PumpUntil([&] { return D()->hot == -1; }));
}

TEST_F(List, PartialRepaintsAgreeWithAFullRepaint) {
  Make(12, 4 * 16 + 10);
  const std::vector<std::function<void()>> steps = {
      [&] { krnSetPos_ListWnd(list, 3); },
      [&] { krnSetSelect_ListWnd(list, 4, 1); },
      [&] { krnAddItem_ListWnd(Dpy(), list, "a much longer name", nullptr, 4, 1); },
      [&] { krnSetPos_ListWnd(list, 2); },
      [&] { krnDeleteItem_ListWnd(list, 3, 1); },
      [&] { krnAddItem_ListWnd(Dpy(), list, "icon", g_korrin.images[KRN_IMG_FOLDER], 2, 1); },
      [&] { krnSetPos_ListWnd(list, 1); },
      [&] { krnSetPos_ListWnd(list, 4); },
      [&] { krnDeleteItem_ListWnd(list, 2, 1); },
      [&] { krnSetPos_ListWnd(list, 10); },
      [&] { krnDeleteItem_ListWnd(list, -1, 1); },
  };
  int i = 0;
  for (const auto& step : steps) {
    step();
    XSync(Dpy(), False);
    std::vector<unsigned long> partial = Screen();
    EXPECT_EQ(partial, FullRepaint()) << "step " << i++;
  }
}

// Leftmost column of row 0 that holds the font colour.
int InkStart(KrnWindow* list, int rh) {
  for (int x = 0; x < list->rect.width; x++)
    for (unsigned long p : Pixels(list->win, x, 1, 1, rh))
      if (p == list->foreFontColor) return x;
  return -1;
}

TEST_F(List, IconsMoveEveryNameAndAnEmptyListShowsItsFrame) {
  Make(0);
  XSync(Dpy(), False);
  for (unsigned long p : Pixels(list->win, 2, 2, 190, 90)) ASSERT_EQ(p, list->backColor);
  EXPECT_EQ(Pixel(list->win, 0, 5), g_korrin.setColors[KRN_SC_BACKLIGHT]);  // raised frame
  krnAddItem_ListWnd(Dpy(), list, "Wide", nullptr, -1, 1);
  XSync(Dpy(), False);
  int plain = InkStart(list, rh);
  ASSERT_GE(plain, 2);
  krnAddItem_ListWnd(Dpy(), list, "x", g_korrin.images[KRN_IMG_FILE], -1, 1);
  XSync(Dpy(), False);
  EXPECT_EQ(InkStart(list, rh), plain + 18);
  krnDeleteItem_ListWnd(list, 1, 1);
  XSync(Dpy(), False);
  EXPECT_EQ(InkStart(list, rh), plain);
}

TEST_F(List, PositionsOutsideTheRowsAndOtherKindsChangeNothing) {
  Make(3);
  for (int pos : {3, -2}) EXPECT_EQ(krnSetPos_ListWnd(list, pos), 1);
  EXPECT_EQ(krnGetPos_ListWnd(list), 0);
  EXPECT_EQ(krnGetName_ListWnd(list, 3), nullptr);
  EXPECT_EQ(krnSetSelect_ListWnd(list, 5, 1), 0);
  EXPECT_EQ(krnDeleteItem_ListWnd(list, 9, 1), 1);
  EXPECT_EQ(krnGetSize_ListWnd(list), 3);
  EXPECT_EQ(krnGetSelect_ListWnd(frame), -1);
  EXPECT_EQ(krnAddItem_ListWnd(Dpy(), frame, "x", nullptr, -1, 1), 0);
}

}  // namespace
