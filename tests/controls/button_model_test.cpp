// The button family's rules without a server: press/release sequences of
// push and toggle buttons with what each reports, packing and the index
// rules, and the select button's layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/button_model.h"

namespace {

// One mouse event: 'P' press, 'R' release; inside or not; what it must report
// and the down state after it.
struct MouseStep {
  char kind;
  bool inside;
  int report;
  int down;
};

struct Sequence {
  const char* name;
  int toggle;
  std::vector<MouseStep> steps;
};

TEST(ButtonRules, PressReleaseSequences) {
  const int OK = btn::kReportOk, CANCEL = btn::kReportCancel;
  const Sequence table[] = {
      {"push click", 0, {{'P', true, 0, 1}, {'R', true, OK, 0}}},
      {"push dragged out", 0, {{'P', true, 0, 1}, {'R', false, 0, 0}}},
      {"push stray release", 0, {{'R', true, 0, 0}}},
      {"push press outside", 0, {{'P', false, 0, 0}, {'R', true, 0, 0}}},
      {"toggle on then off",
       1,
       {{'P', true, OK, 1}, {'R', true, 0, 1}, {'P', true, 0, 1}, {'R', true, CANCEL, 0}}},
      {"toggle off released outside stays on",
       1,
       {{'P', true, OK, 1}, {'R', true, 0, 1}, {'P', true, 0, 1}, {'R', false, 0, 1}}},
      {"toggle stray releases fire nothing",
       1,
       {{'R', true, 0, 0}, {'P', true, OK, 1}, {'R', true, 0, 1}, {'R', true, 0, 1}}},
      {"toggle on released outside stays on", 1, {{'P', true, OK, 1}, {'R', false, 0, 1}}},
  };
  for (const Sequence& seq : table) {
    btn::State s{0, seq.toggle, 0, 0};
    for (size_t i = 0; i < seq.steps.size(); i++) {
      const MouseStep& m = seq.steps[i];
      btn::Step step = m.kind == 'P' ? btn::Press(s, m.inside) : btn::Release(s, m.inside);
      EXPECT_EQ(step.report, m.report) << seq.name << " step " << i;
      EXPECT_EQ(s.down, m.down) << seq.name << " step " << i;
    }
  }
}

TEST(RowRules, PackingAndIndexes) {
  EXPECT_EQ(btn::Pack(0, {30, 21, 50}), (std::vector<int>{0, 35, 61}));
  EXPECT_EQ(btn::Pack(7, {}), std::vector<int>{});
  struct {
    int index, count, attach, del, insert;
  } table[] = {
      {-1, 3, 2, 2, 3},  {-2, 3, 0, 2, 0},  {0, 3, 0, 0, 0},    {2, 3, 2, 2, 2},
      {3, 3, -1, -1, 3}, {5, 3, -1, -1, 3}, {-1, 0, -1, -1, 0}, {0, 0, -1, -1, 0},
  };
  for (const auto& t : table) {
    std::string at = std::to_string(t.index) + " of " + std::to_string(t.count);
    EXPECT_EQ(btn::AttachIndex(t.index, t.count), t.attach) << at;
    EXPECT_EQ(btn::DeleteIndex(t.index, t.count), t.del) << at;
    EXPECT_EQ(btn::InsertIndex(t.index, t.count), t.insert) << at;
  }
}

TEST(SelectRules, RowAndColumnLayout) {
  struct {
    btn::SelectLayout l;
    int firstX, firstY, height, labelY;
  } table[] = {
      {{true, 40, 14, 30}, 50, 2, 26, 8},    // row: right of the label
      {{true, 0, 14, 30}, 5, 2, 26, 8},      // row without a label
      {{false, 40, 14, 200}, 5, 30, 20, 8},  // column: at least 20 high
      {{false, 40, 24, 200}, 5, 34, 24, 5},  // column of a tall font
  };
  for (const auto& t : table) {
    EXPECT_EQ(btn::SelectFirstX(t.l), t.firstX);
    EXPECT_EQ(btn::SelectFirstY(t.l), t.firstY);
    EXPECT_EQ(btn::SelectButtonHeight(t.l), t.height);
    EXPECT_EQ(btn::SelectLabelY(t.l), t.labelY);
  }
  EXPECT_EQ(btn::SelectButtonWidth(30, false, true), 60);
  EXPECT_EQ(btn::SelectButtonWidth(0, true, false), 0);
}

}  // namespace
