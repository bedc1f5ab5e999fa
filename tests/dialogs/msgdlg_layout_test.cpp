// The message dialog's layout without a server: buttons by style, places at
// creation size, after growing and below the minimum.
#include <gtest/gtest.h>

#include <string>

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

int Single(void*, unsigned char) {
  return 7;
}
int Pair(void*, unsigned char, unsigned char) {
  return 14;
}

// The size that shows every line: the width grows (to 480 at most) so that
// a line need not wrap, then the height takes every wrapped line (rows of
// 14 pixels below the 43 pixels of margins and buttons).
TEST(MessageDialogLayout, FitsEveryLineOfTheMessage) {
  const charcode::CharMeter meter{Single, Pair, nullptr};
  const std::string kanji20 = std::string(20, '\xB4');  // 10 two-byte characters, 140 pixels
  struct {
    const char* name;
    std::string message;
    int width, height;
  } table[] = {
      {"short", "Quit?", 280, 110},
      {"a line just fits", std::string(36, 'a'), 280, 110},              // 252 < 255
      {"a longer line widens", std::string(40, 'a') + "\nb", 313, 110},  // 280 + the newline 7 + 26
      {"wider than 480 wraps", std::string(60, 'a') + " " + std::string(20, 'b'), 480, 110},
      {"Japanese lines", kanji20 + kanji20 + kanji20 + kanji20 + "\n" + kanji20, 480, 110},
      {"many lines grow it", std::string(12, '\n'), 280, 12 * 14 + 43},
      {"no taller than the screen", std::string(100, '\n'), 280, 600},
      {"null", "", 280, 110},
  };
  for (const auto& t : table) {
    SCOPED_TRACE(t.name);
    msgdlg::Size size = msgdlg::FitSize(t.message.c_str(), meter, 14, 480, 600);
    EXPECT_EQ(size.width, t.width);
    EXPECT_EQ(size.height, t.height);
  }
  msgdlg::Size none = msgdlg::FitSize(nullptr, meter, 14, 480, 600);
  EXPECT_EQ(none.width, 280);
  EXPECT_EQ(none.height, 110);
}

}  // namespace
