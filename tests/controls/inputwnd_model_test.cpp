// The single-line field's model without a server, with fixed-width metrics
// (single bytes 7 pixels, two-byte characters 14): keys over two-byte
// characters, the 1024-byte limits of typing and adding, horizontal
// scrolling, clicks, drags and double clicks.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "controls/inputwnd_model.h"

namespace {

using namespace iw;

// Tabs reach stops every 56 pixels from the text's start.
int FixedWidth(void*, const unsigned char* bytes, int length, int x) {
  int w = 0;
  for (int i = 0; i < length; i++, w += 7) {
    if (bytes[i] == '\t') w += 49 - (x + w) % 56;
    if (bytes[i] > 0xA0 && i + 1 < length) i++, w += 7;
  }
  return w;
}

const std::string K = "\xB4\xC1";  // kanji, EUC-JP

struct Fld {
  explicit Fld(const std::string& text, int width = 200) {
    EXPECT_EQ(InitText(&d, text.c_str(), 0), 1);
    f = Field{&d, width, charcode::kEuc, FixedWidth, nullptr};
  }
  ~Fld() { free(d.copyText); }
  std::string Text() const { return d.text; }
  InputWndData d{};
  Field f{};
};

TEST(InputWndModel, KeysStepOverTwoByteCharactersWhole) {
  const std::string t = "a" + K + "b" + K;  // a K b K: 0 1-2 3 4-5
  const struct {
    int caret, sel;
    Key key;
    bool shift;
    int wantCaret, wantSel;
    std::string wantText;
    bool bell;
  } cases[] = {
      {3, 0, kLeft, false, 1, 0, t, false},
      {1, 0, kRight, false, 3, 0, t, false},
      {0, 0, kLeft, false, 0, 0, t, true},
      {6, 0, kRight, false, 6, 0, t, true},
      {3, 2, kLeft, false, 1, 0, t, false},
      {3, -2, kLeft, false, 1, 0, t, false},
      {1, 2, kRight, false, 3, 0, t, false},
      {3, 0, kRight, true, 3, 1, t, false},
      {4, 0, kRight, true, 4, 2, t, false},
      {4, 0, kLeft, true, 4, -1, t, false},
      {3, 0, kLeft, true, 3, -2, t, false},
      {0, 0, kLeft, true, 0, 0, t, true},
      {0, 2, kLeft, false, 0, 0, t, true},
      {3, 0, kBackSpace, false, 1, 0, "ab" + K, false},
      {1, 0, kDelete, false, 1, 0, "ab" + K, false},
      {4, 0, kDelete, false, 4, 0, "a" + K + "b", false},
      {6, 0, kBackSpace, false, 4, 0, "a" + K + "b", false},
      {0, 0, kBackSpace, false, 0, 0, t, true},
      {6, 0, kDelete, false, 6, 0, t, true},
      {1, 3, kDelete, false, 1, 0, "a" + K, false},
      {4, -3, kBackSpace, false, 1, 0, "a" + K, false},
      {3, 1, kHome, true, 0, 0, t, false},
      {0, 2, kEnd, false, 6, 0, t, false},
  };
  for (const auto& c : cases) {
    Fld x(t);
    x.d.caret = c.caret;
    x.d.selectLen = c.sel;
    Outcome out = PressKey(x.f, c.key, c.shift);
    SCOPED_TRACE("key " + std::to_string(c.key) + " at " + std::to_string(c.caret) + "/" +
                 std::to_string(c.sel) + (c.shift ? " shift" : ""));
    EXPECT_EQ(x.d.caret, c.wantCaret);
    EXPECT_EQ(x.d.selectLen, c.wantSel);
    EXPECT_EQ(x.Text(), c.wantText);
    EXPECT_EQ(out.bell, c.bell);
    int start = c.wantSel < 0 ? c.wantCaret + c.wantSel : c.wantCaret;
    EXPECT_EQ(std::string(x.d.selectText), x.Text().substr(start, abs(c.wantSel)));
  }
}

TEST(InputWndModel, TypingReplacesTheSelectionOnlyWhenItFitsAndNeverTakesANul) {
  Fld x(std::string(1023, 'a'));
  x.d.caret = 1;
  x.d.selectLen = 10;  // the test comes before the selection goes
  EXPECT_TRUE(TypeText(x.f, "c", 1).bell);
  EXPECT_EQ(strlen(x.d.text), 1023u);
  Fld y("abcd");
  y.d.caret = 2;
  EXPECT_FALSE(TypeText(y.f, "\0x", 2).paint);  // Control-@ would cut the text short
  EXPECT_EQ(y.Text(), "abcd");
  TypeText(y.f, K.c_str(), 2);
  EXPECT_EQ(y.Text(), "ab" + K + "cd");
  EXPECT_EQ(y.d.caret, 4);
}

TEST(InputWndModel, AddingFillsToTheLimitWithoutSplittingACharacter) {
  const struct {
    int length, caret, sel;
    std::string add;
    int result, wantLength, wantCaret;
    bool bell;
  } cases[] = {
      {10, 3, 0, "xyz", 13, 13, 6, false},
      {1023, 1023, 0, "x", 1024, 1024, 1024, false},  // at the end: still one byte
      {1020, 1020, 0, "wxyz12", 1024, 1024, 1024, true},
      {1023, 1023, 0, K, 1023, 1023, 1023, true},  // the lead byte would be cut off
      {1023, 5, 0, "xy", -1, 1023, 5, true},       // in the middle: refused
      {1020, 1000, 0, std::string(30, 'x'), -1, 1020, 1000, true},
      {1024, 1024, 0, "x", 1024, 1024, 1024, true},
      {1020, 10, 8, "abcdefgh", 1020, 1020, 18, false},  // replaces its selection
      {1020, 1020, -8, std::string(20, 'q'), 1024, 1024, 1024, true},
  };
  for (const auto& c : cases) {
    Fld x(std::string(c.length - (c.length == 1024), 'a'));
    if (c.length == 1024) strcat(x.d.text, "a");
    x.d.caret = c.caret;
    x.d.selectLen = c.sel;
    bool bell = false;
    SCOPED_TRACE(std::to_string(c.length) + " at " + std::to_string(c.caret));
    EXPECT_EQ(AddText(x.f, c.add.c_str(), &bell), c.result);
    EXPECT_EQ(strlen(x.d.text), static_cast<size_t>(c.wantLength));
    EXPECT_EQ(x.d.caret, c.wantCaret);
    EXPECT_EQ(bell, c.bell);
  }
  // the field's own text added to itself
  Fld own("abc");
  bool bell = false;
  EXPECT_EQ(AddText(own.f, own.d.text, &bell), 6);
  EXPECT_EQ(own.Text(), "abcabc");
}

TEST(InputWndModel, SettersRefuseTooLongTextsAndKeepPositionsOnCharacters) {
  Fld x("z");
  EXPECT_EQ(InitText(&x.d, std::string(1024, 'a').c_str(), 0), 0);  // too long: empty
  EXPECT_EQ(x.Text(), "");
  EXPECT_EQ(SetText(x.f, std::string(1024, 'b').c_str()), -1);
  EXPECT_EQ(SetText(x.f, ("a" + K + "b").c_str()), 4);
  SetCaretPos(x.f, -1);
  EXPECT_EQ(x.d.caret, 4);
  SetCaretPos(x.f, 2);  // inside K: to its start
  EXPECT_EQ(x.d.caret, 1);
  EXPECT_EQ(SetSelectRange(x.f, 3, 1), 0);
  EXPECT_EQ(SetSelectRange(x.f, 0, 2), 1);
  EXPECT_EQ(std::string(x.d.selectText), "a" + K);
  EXPECT_EQ(Copy(&x.d), 1);
  EXPECT_EQ(std::string(x.d.copyText), "a" + K);
  SetCaretPos(x.f, 0);
  EXPECT_EQ(Copy(&x.d), 1);  // no selection: no copy buffer
  EXPECT_EQ(x.d.copyText, nullptr);
}

TEST(InputWndModel, TheViewScrollsToKeepTheCaretVisible) {
  Fld x("", 60);  // room for (60 - 4 - 2) / 7 = 7 characters once scrolled
  for (int i = 0; i < 7; i++) TypeText(x.f, "a", 1);
  EXPECT_EQ(x.d.firstVisible, 0);
  EXPECT_EQ(Margin(&x.d), 4);
  TypeText(x.f, "b", 1);
  EXPECT_EQ(x.d.firstVisible, 2);  // one character more than needed goes
  EXPECT_EQ(Margin(&x.d), 2);
  EXPECT_LE(CaretX(x.f), 60 - 4);
  PressKey(x.f, kHome, false);
  EXPECT_EQ(x.d.firstVisible, 0);
  PressKey(x.f, kEnd, false);
  EXPECT_EQ(x.d.firstVisible, 2);
  x.d.caret = 2;  // at the view's start: it begins one character before
  KeepInView(x.f);
  EXPECT_EQ(x.d.firstVisible, 1);
  Fld k(K + K + K + K + K, 40);
  PressKey(k.f, kEnd, false);
  EXPECT_EQ(k.d.firstVisible % 2, 0);  // never inside a character
  EXPECT_LE(CaretX(k.f), 40 - 4);
}

// Tab stops count from the start of the text, scrolled or not: caret,
// selection and clicks measure a tab where it stands.
TEST(InputWndModel, TabsReachStopsCountedFromTheTextsStart) {
  Fld x("a\tb");  // a 4..11, the tab 11..60, b 60..67
  const struct { int caret, x; } carets[] = {{0, 4}, {1, 11}, {2, 60}, {3, 67}};
  for (const auto& c : carets) {
    SetCaretPos(x.f, c.caret);
    EXPECT_EQ(CaretX(x.f), c.x) << c.caret;
  }
  const struct { int x, caret; } clicks[] = {{35, 1}, {36, 2}, {63, 2}, {64, 3}};
  uint32_t time = 1000;
  for (const auto& c : clicks) {
    PressButton(x.f, c.x, time += 1000, false, 300);
    EXPECT_EQ(x.d.caret, c.caret) << c.x;
  }
  Fld s("abcdefghij\tk", 80);
  s.d.firstVisible = 3;  // "abc" (21 pixels) scrolled out, the margin now 2
  EXPECT_EQ(TextOriginX(s.f), 2 - 21);
  s.d.caret = 11;  // behind the tab: on the stop at 112 from the text's start
  EXPECT_EQ(CaretX(s.f), 2 - 21 + 112);
  s.d.caret = 10;
  s.d.selectLen = 1;
  EXPECT_EQ(SelectX(s.f), 2 - 21 + 70);
}

TEST(InputWndModel, ClicksDragsAndDoubleClicks) {
  Fld x("ab cd  ef");  // a at 4..11, b 11..18, space 18..25
  const struct { int x, caret; } clicks[] = {{0, 0}, {7, 0}, {8, 1}, {14, 1}, {15, 2}, {200, 9}};
  uint32_t time = 1000;
  for (const auto& c : clicks) {
    PressButton(x.f, c.x, time += 1000, false, 300);
    EXPECT_EQ(x.d.caret, c.caret) << c.x;
  }
  PressButton(x.f, 25, time += 1000, false, 300);  // 'c'
  PressButton(x.f, 25, time += 100, false, 300);
  EXPECT_STREQ(x.d.selectText, "cd");
  PressButton(x.f, 48, time += 1000, false, 300);  // the two spaces
  PressButton(x.f, 48, time += 100, false, 300);
  EXPECT_STREQ(x.d.selectText, "  ");
  PressButton(x.f, 10, time += 1000, true, 300);  // Shift: from the caret back to 1
  EXPECT_EQ(x.d.caret, 5);
  EXPECT_EQ(x.d.selectLen, -4);
  DragTo(x.f, 500);
  EXPECT_EQ(x.d.selectLen, 4);
  DragTo(x.f, 4);
  EXPECT_EQ(x.d.selectLen, -5);
}

}  // namespace
