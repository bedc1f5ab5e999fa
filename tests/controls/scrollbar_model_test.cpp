// Scroll bar arithmetic without a server: geometry, what a press hits,
// stepping at the ends, dragging and the auto-repeat counter.
#include <gtest/gtest.h>

#include "controls/scrollbar_model.h"

namespace {

ScrollBarData Bar(int pos, int max, int step) {
  ScrollBarData d{};
  d.pos = pos;
  d.max = max;
  d.step = step;
  d.vertical = 1;
  return d;
}

TEST(ScrollBarModel, Geometry) {
  struct Case {
    int pos, max, step, length;
    int n, page, limit, track, thumbLen, thumbStart;
  } cases[] = {
      {0, 1000, 10, 200, 100, 20, 80, 165, 33, 17},
      {80, 1000, 10, 200, 100, 20, 80, 165, 33, 149},
      {40, 1000, 10, 200, 100, 20, 80, 165, 33, 83},
      {0, 0, 10, 200, 0, 20, 0, 165, 165, 17},  // no content: the thumb fills the track
      {0, 0, 500, 200, 0, 0, 0, 165, 165, 17},  // page and content both 0
      {50, 100000, 1, 100, 100000, 100, 99900, 65, 16, 19},  // short thumb: 16 long, +2
      {99900, 100000, 1, 100, 100000, 100, 99900, 65, 16, 68},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pos " << c.pos << " max " << c.max << " step " << c.step);
    sb::Geometry g = sb::Measure(Bar(c.pos, c.max, c.step), c.length);
    EXPECT_EQ(g.n, c.n);
    EXPECT_EQ(g.page, c.page);
    EXPECT_EQ(g.limit, c.limit);
    EXPECT_EQ(g.track, c.track);
    EXPECT_EQ(g.thumbLen, c.thumbLen);
    EXPECT_EQ(g.thumbStart, c.thumbStart);
  }
}

// Presses at a place with a button, then one step with the pointer there
// (the plain moves are clicked for real in scrollbar_test.cpp).
TEST(ScrollBarModel, PressThenStep) {
  const sb::Buttons right3 = sb::ButtonsFor(1, 3);  // primary 1, secondary 3, 2 ignored on track
  struct Case {
    int pos, along, across;
    unsigned button;
    int part, stepped;
  } cases[] = {
      {10, 5, 5, 1, 1, 9},      // first arrow: back one
      {0, 5, 5, 1, 1, 0},       // not below 0
      {80, 190, 5, 1, 2, 80},   // not beyond the limit
      {10, 190, 5, 3, 12, 9},   // secondary on the second arrow: back
      {40, 30, 5, 1, 4, 20},    // track before the thumb: back a page
      {10, 30, 5, 1, 4, 0},     // not below 0
      {70, 170, 5, 1, 5, 80},   // not beyond the limit
      {40, 170, 5, 3, 15, 20},  // secondary: back a page
      {40, 90, 5, 1, 3, 40},    // the thumb: a drag, no step
      {40, 30, 5, 2, 0, 40},    // button 2 is ignored on the track
      {40, 5, 16, 1, 0, 40},    // beside the arrow
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "pos " << c.pos << " at " << c.along << " button " << c.button);
    sb::Geometry g = sb::Measure(Bar(c.pos, 1000, 10), 200);
    int grab = -1;
    int part = sb::PressPart(g, 0, c.along, c.across, c.button, right3, &grab);
    EXPECT_EQ(part, c.part);
    EXPECT_EQ(sb::StepOnce(g, part, c.pos, c.along, c.across), c.stepped);
    // a pointer that left the part it pressed moves nothing
    EXPECT_EQ(sb::StepOnce(g, part, c.pos, c.along, 40), c.pos);
  }
  // a page move stops once the thumb has reached the pointer
  sb::Geometry g = sb::Measure(Bar(60, 1000, 10), 200);
  EXPECT_EQ(sb::StepOnce(g, sb::kTrackAfter, 60, 140, 5), 60);
}

TEST(ScrollBarModel, DragFollowsThePointer) {
  sb::Geometry g = sb::Measure(Bar(0, 1000, 10), 200);  // L 33, room 132
  int grab = 0;
  ASSERT_EQ(sb::PressPart(g, 0, 20, 5, 1, sb::ButtonsFor(1, 3), &grab), sb::kThumb);
  EXPECT_EQ(grab, 3);
  struct Case {
    int pointer, pos;
  } cases[] = {{10, 0}, {20, 0}, {21, 0}, {86, 40}, {152, 80}, {199, 80}, {400, 80}};
  for (const Case& c : cases) EXPECT_EQ(sb::DragPos(g, c.pointer, grab), c.pos) << c.pointer;
  // no room for the thumb to move
  EXPECT_EQ(sb::DragPos(sb::Measure(Bar(0, 0, 10), 200), 100, 3), 0);
}

TEST(ScrollBarModel, HoldCounterRepeatsFromTheTickThatReaches500) {
  for (int interval : {35, 1, 10, 100, 600}) {
    ScrollBarData d = Bar(0, 1000, 10);
    d.part = sb::kArrow2;
    int step = interval > 10 ? interval : 10, quiet = (500 + step - 1) / step - 1;
    for (int i = 0; i < quiet; i++) EXPECT_FALSE(sb::Tick(d, interval)) << interval << " " << i;
    EXPECT_TRUE(sb::Tick(d, interval)) << interval;
    EXPECT_TRUE(sb::Tick(d, interval)) << interval;
    EXPECT_EQ(d.holdTime, 500);
  }
  ScrollBarData d = Bar(0, 1000, 10);
  d.part = sb::kThumb;  // a drag does not repeat
  for (int i = 0; i < 30; i++) EXPECT_FALSE(sb::Tick(d, 35));
  EXPECT_EQ(d.holdTime, 0);
}

}  // namespace
