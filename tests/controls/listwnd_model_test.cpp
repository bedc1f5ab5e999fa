// The list window's rows and selection without a server: the click rule
// with Shift and Control in both modes, double-click detection, the index
// fix-ups of adding and deleting, a failed growth that changes nothing, and
// the throttled highlight that still ends where the pointer stopped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/listwnd_model.h"

namespace {

using namespace lw;

struct List {
  explicit List(int n) {
    EXPECT_EQ(Init(&d, 14), 1);  // rows of 16 pixels
    for (int i = 0; i < n; i++) Add(std::to_string(i), -1);
  }
  ~List() { FreeItems(&d); }
  int Add(const std::string& name, int index, int width = 10) {
    int row = -1;
    EXPECT_TRUE(AddItem(&d, NewItem(name.c_str(), nullptr, width), index, &row));
    return row;
  }
  std::string Selection() const {
    std::string s;
    for (int i = 0; i < d.count; i++) s += Item(&d, i)->selected ? 'x' : '.';
    return s;
  }
  void Select(const std::string& s) {
    for (int i = 0; i < d.count; i++) Item(&d, i)->selected = s[i] == 'x';
  }
  std::string Names() const {
    std::string s;
    for (int i = 0; i < d.count; i++) s += Item(&d, i)->name;
    return s;
  }
  int Y(int row) const { return 1 + (row - d.top) * 16 + 3; }
  ListWndData d{};
};

TEST(ListWndModel, TheClickRuleWithShiftAndControl) {
  const struct {
    std::string before;
    int single, shift, control, row, code;
    std::string after;
  } cases[] = {
      {"......", 0, 0, 0, 2, kSelect, "..x..."},   {"x.x...", 0, 0, 0, 4, kSelect, "....x."},
      {"..x...", 0, 0, 0, 2, kSelect, "......"},  // the only selected row clears
      {"..x...", 0, 0, 0, 2, kDblClick, "..x..."}, {"..x...", 1, 0, 0, 2, kSelect, "..x..."},
      {".x..x.", 0, 1, 0, 3, kSelect, ".xxx.."},  // from the first selected down, after cleared
      {"....x.", 0, 1, 0, 1, kSelect, ".xxxx."},  // none above: up to the last below
      {"......", 0, 1, 0, 3, kSelect, "...x.."},   {"x....x", 0, 1, 0, 5, kSelect, "xxxxxx"},
      {".x.x..", 0, 0, 1, 3, kSelect, ".x...."},   {".x.x..", 0, 0, 1, 4, kSelect, ".x.xx."},
      {".x.x..", 0, 0, 1, 3, kDblClick, ".x.x.."}, {".x.x..", 1, 1, 1, 4, kSelect, "....x."},
  };
  for (const auto& c : cases) {
    List l(6);
    l.Select(c.before);
    l.d.single = c.single;
    l.d.shiftDown = c.shift;
    l.d.controlDown = c.control;
    SetSelect(&l.d, c.row, c.code);
    EXPECT_EQ(l.Selection(), c.after) << c.before << " row " << c.row;
    EXPECT_EQ(l.d.selectedCount, CountSelected(&l.d)) << c.before;
  }
}

TEST(ListWndModel, PressesReportSelectAndDoubleClick) {
  List l(5);
  int row = -1;
  const struct {
    int row;
    uint32_t time;
    int code;
  } presses[] = {{1, 1000, kSelect}, {1, 1200, kDblClick}, {1, 1400, kSelect},
                 {2, 1500, kSelect}, {3, 1600, kSelect},   {3, 2000, kSelect}};
  for (const auto& p : presses) {
    EXPECT_EQ(Press(&l.d, l.Y(p.row), p.time, false, false, 300, &row), p.code) << p.time;
    EXPECT_EQ(row, p.row);
    EXPECT_EQ(l.d.anchor, p.row);
    EXPECT_EQ(l.d.hot, p.row);
  }
  EXPECT_EQ(Press(&l.d, 0, 3000, false, false, 300, &row), 0);  // above the first row
  EXPECT_EQ(Press(&l.d, l.Y(7), 3100, false, false, 300, &row), 0);
  EXPECT_EQ(l.d.lastClickTime, 3100u);
  EXPECT_EQ(Press(&l.d, l.Y(3), 3500, false, false, 300, &row), kSelect);
  EXPECT_EQ(Press(&l.d, l.Y(0), 4000, true, false, 300, &row), kSelect);
  EXPECT_EQ(l.Selection(), "xxxx.");
}

TEST(ListWndModel, AddingAndDeletingKeepAnchorHotAndTop) {
  List l(3);
  l.d.anchor = 1;
  l.d.hot = 2;
  EXPECT_EQ(l.Add("a", 0), 0);  // in front of one item or more: inserted
  EXPECT_EQ(l.Names(), "a012");
  EXPECT_EQ(l.d.anchor, 2);
  EXPECT_EQ(l.d.hot, -1);
  EXPECT_EQ(l.Add("b", 9, 50), 4);  // out of range: appended
  EXPECT_EQ(l.d.widestText, 50);
  l.d.hot = 3;
  DeleteItem(&l.d, 2, 100);
  EXPECT_EQ(l.Names(), "a02b");
  EXPECT_EQ(l.d.anchor, -1);
  EXPECT_EQ(l.d.hot, -1);
  EXPECT_EQ(WidestText(&l.d), 50);
  std::string huge(10000, 'n');  // names have no fixed buffer: kept whole
  EXPECT_EQ(l.Add(huge, -1), 4);
  EXPECT_EQ(Item(&l.d, 4)->name, huge);
  // a scrolled list moves up one row per deletion while the page is not full
  List s(10);
  s.d.top = 6;
  for (int want : {5, 4, 3}) {
    DeleteItem(&s.d, s.d.count - 1, 80);  // 5 rows of 16 fill the page
    EXPECT_EQ(s.d.top, want);
  }
}

void* NoMemory(void*, size_t) {
  return nullptr;
}

TEST(ListWndModel, AFailedGrowthLeavesTheListAsItWas) {
  List l(3);
  l.Select("x..");
  SetResize(NoMemory);
  ListItem* item = NewItem("new", nullptr, 5);
  int row = -1;
  EXPECT_FALSE(AddItem(&l.d, item, 0, &row));
  SetResize(nullptr);
  free(item);
  EXPECT_EQ(l.Names(), "012");
  EXPECT_EQ(l.Selection(), "x..");
  SetSelectState(&l.d, 2, 1);  // a program selection acts as a plain click
  EXPECT_EQ(l.Selection(), "..x");
  SetSelectState(&l.d, 2, 0);
  EXPECT_EQ(l.Selection(), "...");
  l.d.shiftDown = 1;
  SetSelectState(&l.d, 0, 1);
  EXPECT_EQ(l.Selection(), "x..");
}

TEST(ListWndModel, AThrottledMotionIsCaughtUpByTheNextTick) {
  List l(5);
  EXPECT_TRUE(Motion(&l.d, l.Y(1), 1000));
  EXPECT_FALSE(Motion(&l.d, l.Y(3), 1010));  // inside the throttle interval
  EXPECT_EQ(l.d.hot, 1);
  EXPECT_TRUE(PendingMotion(&l.d));
  EXPECT_EQ(l.d.hot, 3);
  EXPECT_FALSE(PendingMotion(&l.d));
}

// The keyboard walks from the last clicked row, selects one row alone and
// scrolls it into a page of four rows.
TEST(ListWndModel, KeyMovesSelectOneRowAndKeepItInView) {
  struct {
    int anchor, top;
    Move move;
    int row, newTop;
  } cases[] = {
      {-1, 0, kLineDown, 0, 0}, {-1, 0, kLineUp, 0, 0},  {2, 0, kLineDown, 3, 0},
      {3, 0, kLineDown, 4, 1},  {5, 5, kLineUp, 4, 4},   {0, 0, kLineUp, 0, 0},
      {1, 0, kPageDown, 5, 2},  {8, 6, kPageDown, 9, 6}, {9, 6, kPageUp, 5, 5},
      {5, 2, kFirst, 0, 0},     {0, 0, kLast, 9, 6},     {-1, 0, kPageDown, 3, 0},
  };
  for (const auto& c : cases) {
    List l(10);
    l.Select("xx........");
    l.d.anchor = c.anchor;
    l.d.top = c.top;
    int row = MoveTarget(&l.d, c.move, 4);
    EXPECT_EQ(row, c.row) << c.anchor << " move " << c.move;
    SelectAlone(&l.d, row, 4);
    std::string want(10, '.');
    want[row] = 'x';
    EXPECT_EQ(l.Selection(), want);
    EXPECT_EQ(l.d.anchor, row);
    EXPECT_EQ(l.d.top, c.newTop) << c.anchor << " move " << c.move;
  }
  List empty(0);
  EXPECT_EQ(MoveTarget(&empty.d, kLineDown, 4), -1);
}

}  // namespace
