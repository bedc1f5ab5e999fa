// Geometry and key rules of the text and about dialogs, without a server.
#include <gtest/gtest.h>

#include "dialogs/dialog_model.h"

namespace {

TEST(DialogModel, KeyGateLetsOneKeyThroughPerInterval) {
  struct {
    unsigned long time;
    bool passes;
  } keys[] = {{5, true},  {30, false}, {39, false},          {40, true}, {74, false},
              {75, true}, {75, false}, {0xFFFFFFF0UL, true}, {20, true}};  // clock wraps
  dlg::KeyGate gate;
  for (const auto& k : keys) EXPECT_EQ(gate.Accept(k.time, 35), k.passes) << k.time;
}

TEST(DialogModel, TextDialogScrollsUntilTheLastLineIsInView) {
  // A box 365 high with 14-pixel lines shows 26 whole lines.
  struct {
    int pos, nLines, down, up;
  } cases[] = {{0, 60, 1, 0}, {33, 60, 34, 32}, {34, 60, 34, 33}, {0, 20, 0, 0}, {0, 27, 1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(dlg::TextDlgLineDown(c.pos, c.nLines, 365, 14), c.down) << c.pos << "/" << c.nLines;
    EXPECT_EQ(dlg::TextDlgLineUp(c.pos), c.up);
  }
  EXPECT_FALSE(dlg::TextDlgShown(dlg::kTextDlgFirst));
  EXPECT_TRUE(dlg::TextDlgShown({0, 0, 600, 400}));
}

TEST(DialogModel, AboutLayoutMakesRoomForThePictureAndKeepsOkCentred) {
  struct {
    int w, h, pw, ph;
    dlg::Box text, ok;
    int pictureY;
  } cases[] = {
      {365, 140, 0, 0, {10, 5, 345, 100}, {152, 110, 60, 25}, 55},
      {365, 140, 48, 48, {68, 5, 287, 100}, {152, 110, 60, 25}, 31},
      {500, 300, 32, 32, {52, 5, 438, 260}, {220, 270, 60, 25}, 119},
      {200, 70, 32, 32, {52, 5, 208, 35}, {100, 45, 60, 25}, 4},  // below the minimum
  };
  for (const auto& c : cases) {
    dlg::AboutLayout l = dlg::AboutLayoutOf(c.w, c.h, c.pw, c.ph);
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    EXPECT_EQ(std::vector<int>({l.text.x, l.text.y, l.text.width, l.text.height}),
              std::vector<int>({c.text.x, c.text.y, c.text.width, c.text.height}));
    EXPECT_EQ(std::vector<int>({l.ok.x, l.ok.y, l.ok.width, l.ok.height}),
              std::vector<int>({c.ok.x, c.ok.y, c.ok.width, c.ok.height}));
    EXPECT_EQ(l.pictureX, 10);
    EXPECT_EQ(l.pictureY, c.pictureY);
  }
}

}  // namespace
