// The message dialog's layout without a server: buttons by style, places at
// creation size, after growing and below the minimum.
#include <gtest/gtest.h>

#include "dialogs/msgdlg_layout.h"

namespace {

TEST(MessageDialogLayout, ButtonsAndPlacesByStyleAndSize) {
  struct {
    int style, w, h;
    msgdlg::Box text;
    int okX, cancelX, buttonY;
  } table[] = {
      {0x13, 280, 110, {10, 5, 260, 70}, 140, 210, 80},  // question, OK and Cancel
      {0x51, 280, 110, {10, 5, 260, 70}, 210, -1, 80},   // error, OK only
      {0x02, 280, 110, {10, 5, 260, 70}, -1, 210, 80},   // Cancel only
      {0x0D, 280, 110, {10, 5, 260, 70}, 210, -1, 80},   // unused bits change nothing
      {0x00, 280, 110, {10, 5, 260, 70}, -1, -1, 80},    // no button at all
      {0x03, 400, 200, {10, 5, 380, 160}, 260, 330, 170},
      {0x03, 200, 60, {10, 5, 240, 35}, 120, 190, 45},  // below the minimum
  };
  for (const auto& t : table) {
    msgdlg::Layout l = msgdlg::LayoutOf(t.style, t.w, t.h);
    SCOPED_TRACE(testing::Message() << "style " << t.style << " at " << t.w << "x" << t.h);
    EXPECT_EQ(l.text.x, t.text.x);
    EXPECT_EQ(l.text.y, t.text.y);
    EXPECT_EQ(l.text.width, t.text.width);
    EXPECT_EQ(l.text.height, t.text.height);
    EXPECT_EQ(l.okX, t.okX);
    EXPECT_EQ(l.cancelX, t.cancelX);
    EXPECT_EQ(l.buttonY, t.buttonY);
  }
  EXPECT_EQ(msgdlg::IconY(110), 80);
  EXPECT_EQ(msgdlg::IconY(75), 45);
}

}  // namespace
