// Text window wrapping without a server: fixed widths of 7 pixels for a
// single-byte character and 14 for a two-byte one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/textwnd_model.h"

namespace {

const std::string K = "\xB4\xC1";  // a kanji in EUC-JP
const std::string S = "\x82\xA0";  // a hiragana in Shift_JIS

int Single(void*, unsigned char) {
  return 7;
}
int Pair(void*, unsigned char row, unsigned char) {
  return row >= 0x21 && row < 0x7F ? 14 : 1000;  // JIS rows only
}
const charcode::CharMeter kMeter{Single, Pair, nullptr};

struct Wrapped {
  int count;
  std::vector<std::string> lines;
  std::vector<int> widths;
  std::string text;  // the text after wrapping
};

Wrapped Wrap(std::string text, int wrap, twnd::Hook hook = {nullptr, nullptr}) {
  void** lines = nullptr;
  Wrapped out;
  out.count =
      twnd::WrapLines(text.data(), static_cast<int>(text.size()), wrap, kMeter, hook, &lines);
  for (void** p = lines; out.count >= 0 && *p; p++) {
    const TextWndLine* l = static_cast<const TextWndLine*>(*p);
    out.lines.push_back(std::string(l->lineText, l->lineLength));
    out.widths.push_back(l->lineWidth);
  }
  twnd::FreeLines(lines);
  out.text = text;
  return out;
}

TEST(TextWndModel, Wrapping) {
  using V = std::vector<std::string>;
  struct Case {
    std::string text;
    int wrap;
    V lines;
    std::vector<int> widths;
  } cases[] = {
      {"ab\ncd", 100, {"ab\n", "cd"}, {21, 14}},  // no final line feed: the rest is a line
      {"abcdefghij", 35, {"abcd", "efgh", "ij"}, {35, 35, 14}},
      {"a" + K + K + K, 35, {"a" + K, K + K}, {35, 28}},  // a kanji is never split
      {S + "a" + S, 30, {S + "a", S}, {30, 14}},          // Shift_JIS pairs
      {K + K, 10, {K, K}, {14, 14}},                      // wider than the window: alone
      {"", 50, {}, {}},
      {"\n\n", 50, {"\n", "\n"}, {7, 7}},
  };
  for (const Case& c : cases) {
    Wrapped w = Wrap(c.text, c.wrap);
    EXPECT_EQ(w.count, static_cast<int>(c.lines.size())) << c.text;
    EXPECT_EQ(w.lines, c.lines) << c.text;
    EXPECT_EQ(w.widths, c.widths) << c.text;
  }
}

// Lines break after blanks and beside two-byte characters; a word breaks
// only when it alone is wider than the line; tabs reach the stops (56
// pixels) of their own line.
TEST(TextWndModel, WrapsAtBlanksAndTwoByteCharactersAndExpandsTabs) {
  using V = std::vector<std::string>;
  struct Case {
    const char* name;
    std::string text;
    int wrap;
    V lines;
    std::vector<int> widths;
  } cases[] = {
      {"at the space", "hello world", 50, {"hello ", "world"}, {50, 35}},
      {"a word longer than the line", "abcdefghij k", 35, {"abcd", "efgh", "ij k"}, {35, 35, 28}},
      {"blanks hang at the edge", "abcd  ef", 35, {"abcd  ", "ef"}, {35, 14}},
      {"with the line feed after them", "abcd \nef", 35, {"abcd \n", "ef"}, {35, 14}},
      {"beside two-byte characters", "ab " + K + K + "cd", 49, {"ab " + K, K + "cd"}, {49, 28}},
      {"a tab to the first stop", "ab\tc\n", 100, {"ab\tc\n"}, {70}},
      {"a tab that fits", "abcdefg\tx", 60, {"abcdefg\t", "x"}, {60, 7}},
      {"a tab that does not fit hangs", "abcdefghi\tx\ty", 100, {"abcdefghi\t", "x\ty"}, {100, 63}},
      {"after a kanji", K + "\tz", 100, {K + "\tz"}, {63}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Wrapped w = Wrap(c.text, c.wrap);
    EXPECT_EQ(w.lines, c.lines);
    EXPECT_EQ(w.widths, c.widths);
  }
}

TEST(TextWndModel, ControlBytesOfABinaryTextBecomeQuestionMarks) {
  Wrapped w = Wrap(std::string("a\x01\tb\n\x1f", 6), 100);
  EXPECT_EQ(w.text, "a?\tb\n?");
  EXPECT_EQ(w.lines, (std::vector<std::string>{"a?\tb\n", "?"}));
}

TEST(TextWndModel, AHookThatGivesUpAbandonsTheWrap) {
  int calls = 0;
  auto stopAtThree = [](void* c) { return ++*static_cast<int*>(c) < 3; };
  Wrapped w = Wrap("abcdef", 100, twnd::Hook{stopAtThree, &calls});
  EXPECT_EQ(w.count, -1);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(twnd::LinesPerPage(3 + 5 * 14 + 13, 14), 5);
}

}  // namespace
