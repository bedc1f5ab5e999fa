// The scroll bar on a private X server with real pointer input (XTEST):
// clicks on arrows and track, auto-repeat counted in timer ticks, the
// setters and their reports, the minimum size, and a thumb over no content.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <utility>
#include <vector>

#include "controls/scrollbar_model.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pump;
using krntest::PumpUntil;

std::vector<std::pair<int, long>> g_calls;  // (code, value) the callback saw
int Record(KrnWindow*, int code, long value, long) {
  g_calls.push_back({code, value});
  return 1;
}

class ScrollBar : public ::testing::Test {
 protected:
  KrnWindow* frame = nullptr;
  KrnWindow* bar = nullptr;
  int rightHand = g_korrin.mouseRightHand, buttons = g_korrin.mouseButtons;

  void Make(int max, int step, int length = 200) {
    g_korrin.mouseRightHand = 1;  // primary 1, secondary 3, 2 ignored on the track
    g_korrin.mouseButtons = 3;
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 240, 240), 0, "frame", nullptr);
    bar = krnCreateWindow_VScrollBar(Dpy(), frame, krnSetRect(20, 10, 5, length), "bar", 0, max,
                                     step, Record);
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(krntest::WaitMapped(bar->win));
    Pump();
    g_calls.clear();
  }
  void TearDown() override {
    g_korrin.mouseRightHand = rightHand;
    g_korrin.mouseButtons = buttons;
    if (frame) krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  ScrollBarData* D() const { return static_cast<ScrollBarData*>(bar->option); }
#ifdef KRN_HAVE_XTEST
  // Moves the real pointer to (x, y) of a window.
  void PointAt(int x, int y, KrnWindow* w = nullptr) {
    int rx, ry;
    Window child;
    XTranslateCoordinates(Dpy(), (w ? w : bar)->win, DefaultRootWindow(Dpy()), x, y, &rx, &ry,
                          &child);
    XTestFakeMotionEvent(Dpy(), 0, rx, ry, 0);
  }
  void Button(unsigned int button, bool down) {
    XTestFakeButtonEvent(Dpy(), button, down, 0);
    XSync(Dpy(), False);
  }
#endif
};

#ifdef KRN_HAVE_XTEST
#define REQUIRE_XTEST()
#else
#define REQUIRE_XTEST() GTEST_SKIP() << "built without XTEST"
#endif

TEST_F(ScrollBar, AClickMovesOnceAndReportsOnce) {
  REQUIRE_XTEST();
  Make(1000, 10);  // 100 steps, a page of 20, limit 80; the thumb at 40 spans 83 .. 116
  struct Case {
    int y;
    unsigned int button;
    int pos;
  } cases[] = {
      {190, 1, 41}, {5, 1, 39},    // arrows
      {5, 3, 41},   {190, 3, 39},  // the secondary button scrolls the other way
      {170, 1, 60}, {30, 1, 20},   // the track pages
      {170, 3, 20}, {30, 2, 40},   // button 2 does nothing on the track
      {5, 4, 37},   {190, 5, 43},  // a wheel notch moves three steps, wherever it is
      {100, 5, 43}, {100, 4, 37},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "y " << c.y << " button " << c.button);
    krnSetPos_ScrollBar(bar, 40);
    Pump();
    g_calls.clear();
    PointAt(8, c.y);
    Button(c.button, true);
    Button(c.button, false);
    Pump();
    ASSERT_TRUE(PumpUntil([&] { return D()->part == 0; }));
    Pump();
    EXPECT_EQ(krnGetPos_ScrollBar(bar), c.pos);
    std::vector<std::pair<int, long>> expected;
    if (c.pos != 40) expected.push_back({KRN_SCROLLED, c.pos});
    EXPECT_EQ(g_calls, expected);
  }
}

TEST_F(ScrollBar, HoldingRepeatsOncePerTickFromTheTickThatReaches500) {
  REQUIRE_XTEST();
  Make(1000, 10);
  PointAt(8, 190);
  Button(1, true);
  ASSERT_TRUE(PumpUntil([&] { return D()->part == sb::kArrow2; }));
  ASSERT_EQ(krnGetPos_ScrollBar(bar), 0);
  int step = g_korrin.interval > 10 ? g_korrin.interval : 10;
  int quiet = (500 - D()->holdTime + step - 1) / step - 1;  // ticks before the first move
  for (int i = 0; i < quiet; i++) krnSendEvent(bar, KRN_EV_TIMER);
  EXPECT_EQ(krnGetPos_ScrollBar(bar), 0);
  EXPECT_TRUE(g_calls.empty());
  for (int i = 1; i <= 5; i++) {
    krnSendEvent(bar, KRN_EV_TIMER);
    EXPECT_EQ(krnGetPos_ScrollBar(bar), i);
    EXPECT_EQ(g_calls.size(), static_cast<size_t>(i));
  }
  Button(1, false);
  ASSERT_TRUE(PumpUntil([&] { return D()->part == 0; }));
  EXPECT_EQ(krnGetPos_ScrollBar(bar), 5);  // the release adds no move after a repeat
}

TEST_F(ScrollBar, ADragEndsWhereTheButtonIsLetGo) {
  REQUIRE_XTEST();
  Make(1000, 10);
  PointAt(8, 20);  // on the thumb
  Button(1, true);
  PointAt(8, 60);
  PointAt(8, 190);  // too soon after the last motion to be handled as one
  Button(1, false);
  ASSERT_TRUE(PumpUntil([&] { return D()->part == 0 && !g_calls.empty(); }));
  Pump();
  EXPECT_EQ(krnGetPos_ScrollBar(bar), 80);
}

TEST_F(ScrollBar, AClickOnTheThumbWithoutMotionChangesNothing) {
  REQUIRE_XTEST();
  struct Case {
    int max, pos, offset;  // offset: where in the thumb the click lands
  } cases[] = {
      {100000, 5000, 5}, {100000, 9979, 3}, {100000, 1, 8},  // a short thumb (drawn 16 long)
      {300, 7, 10},      {300, 3, 100},     {250, 1, 40},    // a long one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "max " << c.max << " pos " << c.pos);
    Make(c.max, 10);
    krnSetPos_ScrollBar(bar, c.pos);
    Pump();
    g_calls.clear();
    sb::Geometry g = sb::Measure(*D(), 200);
    PointAt(8, g.thumbStart + c.offset);
    Button(1, true);
    Button(1, false);
    ASSERT_TRUE(PumpUntil([&] { return D()->part == 0; }));
    Pump();
    EXPECT_EQ(krnGetPos_ScrollBar(bar), c.pos);
    EXPECT_TRUE(g_calls.empty());
    krnDestroyWindow(Dpy(), frame);
    frame = nullptr;
    krntest::DrainEvents();
  }
}

TEST_F(ScrollBar, AHorizontalBarStepsAlongItsWidth) {
  REQUIRE_XTEST();
  Make(1000, 10);
  KrnWindow* across = krnCreateWindow_HScrollBar(Dpy(), frame, krnSetRect(0, 215, 200, 5), "h", 0,
                                                 1000, 10, Record);
  ASSERT_EQ(across->rect.height, 17);
  ASSERT_TRUE(krntest::WaitMapped(across->win));
  for (int x : {190, 170, 5}) {  // right arrow, the track after the thumb, left arrow
    PointAt(x, 8, across);
    Button(1, true);
    Button(1, false);
  }
  ASSERT_TRUE(PumpUntil([&] { return krnGetPos_ScrollBar(across) == 20; }));
  EXPECT_EQ(krnGetPos_ScrollBar(bar), 0);
}

TEST_F(ScrollBar, SettersClampAndReport) {
  Make(1000, 10);
  EXPECT_EQ(krnSetPos_ScrollBar(bar, 500), 1);
  EXPECT_EQ(krnGetPos_ScrollBar(bar), 80);
  EXPECT_EQ(krnSetPos_ScrollBar(bar, 80), 1);  // no change, no report
  EXPECT_EQ(g_calls, (std::vector<std::pair<int, long>>{{KRN_SCROLL_SET, 80}}));
  EXPECT_EQ(krnSetMax_ScrollBar(bar, -1), 0);
  EXPECT_EQ(krnSetMin_ScrollBar(bar, 0), 0);
  EXPECT_EQ(krnSetMax_ScrollBar(bar, 500), 1);  // limit 30
  EXPECT_EQ(krnGetPos_ScrollBar(bar), 30);
  EXPECT_EQ(krnSetMin_ScrollBar(bar, 50), 1);  // 10 steps, a page of 4
  EXPECT_EQ(krnGetPos_ScrollBar(bar), 6);
  EXPECT_EQ(g_calls.size(), 1u);  // the re-clamps report nothing
  EXPECT_EQ(krnGetMin_ScrollBar(frame), -1);
  EXPECT_EQ(krnSetPos_ScrollBar(nullptr, 1), 0);
  EXPECT_EQ(krnGetHeight_ScrollBar(), 17);
}

TEST_F(ScrollBar, KeepsItsMinimumSizeAndDrawsAThumbOverNothing) {
  Make(0, 500, 60);  // page and content both 0
  XResizeWindow(Dpy(), bar->win, 5, 20);
  ASSERT_TRUE(PumpUntil([&] { return bar->rect.width == 17 && bar->rect.height == 51; }));
  EXPECT_FALSE(g_calls.empty());
  EXPECT_EQ(g_calls.back().first, ConfigureNotify);
  // the thumb fills the track: its face colour in the middle of the track
  XSync(Dpy(), False);
  EXPECT_EQ(krntest::Pixel(bar->draw, 8, 25), g_korrin.setColors[KRN_SC_BACKFACE]);
  EXPECT_EQ(krntest::Pixel(bar->win, 8, 25), g_korrin.setColors[KRN_SC_BACKFACE]);
}

}  // namespace
