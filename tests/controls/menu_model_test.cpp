// The menu and menu-bar arithmetic without a server: sizes, the row under
// a point, the context button, the motion throttle and the bar's layout.
#include <gtest/gtest.h>

#include "controls/menu_model.h"

namespace mm = menumodel;

TEST(MenuModel, SizeCountsWidestCaptionIconAndLinkColumns) {
  const struct {
    std::vector<mm::Row> rows;
    int width, height;
  } cases[] = {
      {{}, 11, 10},
      {{{40, false, false}, {0, false, false}}, 50, 2 * 16 + 10},
      {{{40, false, true}, {70, false, false}}, 70 + 21 + 10, 2 * 16 + 10},
      {{{40, true, false}, {30, false, true}}, 40 + 21 + 21 + 10, 2 * 16 + 10},
  };
  for (const auto& c : cases) {
    mm::Size s = mm::MenuSize(c.rows, mm::RowHeight(14));
    EXPECT_EQ(s.width, c.width);
    EXPECT_EQ(s.height, c.height);
  }
  EXPECT_EQ(mm::RowHeight(20), 20);
  EXPECT_EQ(mm::CaptionX(true), 26);
  EXPECT_EQ(mm::CaptionX(false), 5);
}

TEST(MenuModel, RowUnderAPointLeavesTheOpeningCornerOutside) {
  const struct {
    int x, y, row;
  } cases[] = {{0, 10, -1},   {1, 5, 0},   {50, 20, 0}, {50, 21, 1}, {99, 37, 2},
               {100, 10, -1}, {50, 4, -1}, {50, 53, 3}, {50, 54, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(mm::RowAt(c.x, c.y, 100, 58, 16), c.row) << c.x << "," << c.y;
  EXPECT_EQ(mm::SeparatorLine(1, 16, 100).y, 16 + 8 + 5);
  EXPECT_EQ(mm::SeparatorLine(0, 16, 8).width, 0);
}

TEST(MenuModel, ContextButtonFollowsTheMouseSettings) {
  const struct {
    int rightHand, mouseButton;
    unsigned int button;
  } cases[] = {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {1, 7, 3}, {0, 2, 1}, {0, 3, 1}};
  for (const auto& c : cases) EXPECT_EQ(mm::ContextButton(c.rightHand, c.mouseButton), c.button);
}

TEST(MenuModel, MotionThrottleMeasuresFromTheLastProcessedEvent) {
  EXPECT_TRUE(mm::TooSoon(1034, 1000, 35));
  EXPECT_FALSE(mm::TooSoon(1035, 1000, 35));
  EXPECT_FALSE(mm::TooSoon(20, 0xFFFFFFF0u, 35));  // across the wrap of server time
  EXPECT_TRUE(mm::TooSoon(10, 0xFFFFFFF0u, 35));
}

TEST(MenuModel, BarLayoutAndStatusWidth) {
  mm::BarLayout l = mm::LayoutBar(400, 22, 28, 7);
  EXPECT_EQ(l.caption[1].x, 48);
  EXPECT_EQ(l.status.x, 28 + 7 + 42);
  EXPECT_EQ(l.status.width, 400 - 28 - 7 - 44);
  EXPECT_EQ(mm::StatusWidth(l, 400), 400 - 79);  // a = 48 + 27 + 4
  EXPECT_EQ(mm::StatusWidth(l, 158), 79);        // too narrow: keeps a
  for (int narrow : {158, 79, 40, 0})            // as wide as the captions' band, never negative
    EXPECT_EQ(mm::LayoutBar(narrow, 22, 28, 7).status.width, 79) << narrow;
  const struct {
    int x, y, caption;
  } cases[] = {{0, 10, -1}, {1, 10, 0},  {47, 10, 0},  {48, 10, -1},
               {49, 1, 1},  {74, 10, 1}, {75, 10, -1}, {10, 22, -1}};
  for (const auto& c : cases) EXPECT_EQ(mm::CaptionAt(l, c.x, c.y), c.caption) << c.x;
}

// A menu opens where it fits, else flipped to end at the flip point, else
// shifted to end at the edge, never before the start.
TEST(MenuModel, PlaceAlongKeepsTheMenuWhole) {
  struct {
    int at, size, flip, lo, hi, place;
  } cases[] = {
      {10, 50, 10, 0, 100, 10},   // fits
      {80, 50, 80, 0, 100, 30},   // opens upwards from the pointer
      {80, 50, 60, 0, 100, 10},   // a sub-menu flips to the parent's other side
      {30, 50, 20, 0, 70, 20},    // no room on either side: shifted to the edge
      {30, 150, 30, 0, 100, 0},   // larger than the room: from the start
      {-5, 20, -5, 10, 100, 10},  // never before the visible start
  };
  for (const auto& c : cases)
    EXPECT_EQ(mm::PlaceAlong(c.at, c.size, c.flip, c.lo, c.hi), c.place) << c.at << "+" << c.size;
}
