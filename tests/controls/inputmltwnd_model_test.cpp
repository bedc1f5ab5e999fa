// The multi-line editor's model without a server: wrapping, caret and
// selection cells, the key and mouse rules and the all-or-nothing edits,
// with fixed-width metrics (single bytes 7 pixels, two-byte characters 14)
// and an allocator that fails on purpose.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "controls/inputmltwnd_model.h"
#include "controls/inputmltwnd_undo.h"

namespace {

using namespace mlt;

constexpr int kSingle = 7;
constexpr int kPair = 14;

int SingleWidth(void*, unsigned char) {
  return kSingle;
}
int PairWidth(void*, unsigned char, unsigned char) {
  return kPair;
}
charcode::CharMeter Meter() {
  return charcode::CharMeter{SingleWidth, PairWidth, nullptr};
}

// EUC-JP characters used below (two bytes each).
const std::string A = "\xA4\xA2";  // hiragana a
const std::string I = "\xA4\xA4";  // hiragana i
const std::string K = "\xB4\xC1";  // kanji
const std::string J = "\xBB\xFA";  // kanji

// n bytes of the text from start, read across the gap.
std::string Range(const InputMltWndData& d, int start, int n) {
  std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
  CopyText(&d, start, n, &bytes[0]);
  return bytes;
}

// An editor record of a given window size over a text.
class Ed {
 public:
  explicit Ed(const std::string& text, int width = 200, int height = 140, int code = 4) {
    e.d = &d;
    e.view = View{width, height, 14};
    e.metrics = Metrics{code, Meter()};
    EXPECT_EQ(InitText(e, text.data(), static_cast<int>(text.size())), 1);
    SetSelectText(&d);
  }
  ~Ed() { FreeData(&d); }
  std::string Text() const { return Range(d, 0, d.length); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (int i = 0; i < d.lines; i++)
      out.push_back(Range(d, Line(&d, i).start, Line(&d, i).length));
    return out;
  }
  std::vector<int> Hard() const {
    std::vector<int> out;
    for (int i = 0; i < d.lines; i++) out.push_back(Line(&d, i).hard);
    return out;
  }
  // What a refused edit must leave as it was.
  struct Snapshot {
    std::string text;
    std::vector<std::string> lines;
    int caret, selectLen;
    bool operator==(const Snapshot& o) const {
      return text == o.text && lines == o.lines && caret == o.caret && selectLen == o.selectLen;
    }
  };
  Snapshot Snap() const { return Snapshot{Text(), Lines(), d.caret, d.selectLen}; }
  Outcome Key(mlt::Key k, bool shift = false) { return PressKey(e, k, shift); }
  Outcome Type(const std::string& s) { return TypeText(e, s.data(), static_cast<int>(s.size())); }
  void Caret(int pos) { SetCaretPos(e, pos); }

  InputMltWndData d{};
  Editor e{};
};

// The lines must tile the text exactly, each starting where the one before
// it ended, within the array's room, and the gap lie inside the text.
::testing::AssertionResult Consistent(const Ed& ed) {
  const InputMltWndData& d = ed.d;
  std::string joined;
  if (d.lines > d.lineRoom) return ::testing::AssertionFailure() << "more lines than room";
  if (d.capacity < d.length) return ::testing::AssertionFailure() << "capacity below length";
  if (d.gapStart < 0 || d.gapStart > d.length)
    return ::testing::AssertionFailure() << "gap at " << d.gapStart << " of " << d.length;
  for (int n = 0; n < d.lines; n++) {
    TextLine l = Line(&d, n);
    if (l.start != static_cast<int>(joined.size()) || l.length < 1)
      return ::testing::AssertionFailure() << "line " << n << " does not follow the one before";
    joined += Range(d, l.start, l.length);
  }
  if (joined != ed.Text()) return ::testing::AssertionFailure() << "lines differ from the text";
  return ::testing::AssertionSuccess();
}

// What hands the text out in one piece (moving the gap): each line's bytes,
// and the whole text closed up and terminated.
::testing::AssertionResult InOnePiece(Ed& ed) {
  InputMltWndData& d = ed.d;
  std::string text = ed.Text(), spans;
  for (int n = 0; n < d.lines; n++) spans.append(LineText(&d, n), Line(&d, n).length);
  if (spans != text) return ::testing::AssertionFailure() << "line spans differ from the text";
  const char* closed = CloseGap(&d);
  if (std::string(closed, d.length) != text || closed[d.length] != '\0')
    return ::testing::AssertionFailure() << "closed text differs or is not terminated";
  return Consistent(ed);
}

/* ---- wrapping ------------------------------------------------------------ */

struct WrapCase {
  const char* name;
  std::string text;
  int width;  // window width; the wrap limit is width - 9
  std::vector<std::string> lines;
  std::vector<int> hard;
};

TEST(InputMltWndModel, WrapsAtTheWidthWithoutSplittingCharacters) {
  const WrapCase cases[] = {
      {"fits", "abc\n", 100, {"abc\n"}, {1}},
      // wrap limit 21: "c" reaches it and begins the next line
      {"reaching the limit", "abcd\n", 30, {"ab", "cd\n"}, {0, 1}},
      {"just below the limit", "ab\n", 31, {"ab\n"}, {1}},
      // limit 30: a (7) + A (21) fit, I would reach 35
      {"kanji kept whole", "a" + A + I + "\n", 39, {"a" + A, I + "\n"}, {0, 1}},
      {"newline after a full line", "abc\nd\n", 30, {"ab", "c\n", "d\n"}, {0, 1, 1}},
      {"unterminated last piece", "ab", 100, {"ab"}, {0}},
      {"empty", "", 100, {}, {}},
      {"empty lines", "\n\n", 100, {"\n", "\n"}, {1, 1}},
      // limit -5: narrower than one character, one character per line
      {"narrow window", "ab" + K + "\n", 4, {"a", "b", K, "\n"}, {0, 0, 0, 1}},
      {"narrow window, lone newline", "\n", 0, {"\n"}, {1}},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.name);
    Ed ed("x", c.width);
    // replace the text directly to wrap even an unterminated one
    AdoptText(&ed.d, strdup(c.text.c_str()), static_cast<int>(c.text.size()));
    ASSERT_EQ(GetTextList(ed.e), static_cast<int>(c.lines.size()));
    EXPECT_EQ(ed.Lines(), c.lines);
    EXPECT_EQ(ed.Hard(), c.hard);
    EXPECT_TRUE(Consistent(ed));
  }
}

TEST(InputMltWndModel, WrappedLineWidthIsTheLimitAndHardLinesTheirOwn) {
  Ed ed("abcd\n", 30);
  EXPECT_EQ(Line(&ed.d, 0).width, 21);
  EXPECT_EQ(Line(&ed.d, 1).width, 14);  // "cd", the newline adds nothing
}

TEST(InputMltWndModel, ShiftJisPairsAndHalfWidthKatakanaWrapByTheCodeSetting) {
  // Shift_JIS: 82 A0 is one character, B1 (half-width katakana) a single byte
  std::string sjis = "\x82\xA0\xB1\x82\xA0\n";
  Ed ed(sjis, 9 + 30, 140, 3);
  EXPECT_EQ(ed.Lines(), (std::vector<std::string>{"\x82\xA0\xB1", "\x82\xA0\n"}));
}

/* ---- tabs ----------------------------------------------------------------- */

// Tab stops every 8 spaces, 56 pixels, counted from the left edge of each
// display line: after a two-byte character, at a wrap point and at the
// start of a wrapped row.  Columns are byte columns; x includes the 4-pixel
// origin.
TEST(InputMltWndModel, TabsReachTheNextStopOfTheirOwnRow) {
  const struct {
    const char* name;
    std::string text;
    int width, code;
    std::vector<std::string> lines;
    std::vector<int> widths;                // display line widths
    std::vector<std::vector<int>> columnX;  // x of the byte columns 0, 1, ... of each line
  } cases[] = {
      {"tab first", "\tab\n", 200, 4, {"\tab\n"}, {70}, {{4, 60, 67, 74}}},
      {"tab after a letter", "a\tb\n", 200, 4, {"a\tb\n"}, {63}, {{4, 11, 60, 67}}},
      {"tab on a stop",
       "abcdefgh\tx\n",
       200,
       4,
       {"abcdefgh\tx\n"},
       {119},
       {{4, 11, 18, 25, 32, 39, 46, 53, 60, 116}}},
      {"after a two-byte character",
       A + "\t" + K + "\n",
       200,
       4,
       {A + "\t" + K + "\n"},
       {70},
       {{4, 4, 18, 60, 60, 74}}},
      {"after half-width katakana",
       "\xB1\t" + std::string("\x82\xA0") + "\n",
       200,
       3,
       {"\xB1\t\x82\xA0\n"},
       {70},
       {{4, 11, 60, 60, 74}}},
      // limit 100: 13 letters end at 91, the tab would reach 112: it begins
      // the next row, where it reaches 56
      {"tab at a wrap point",
       "abcdefghijklm\tz\n",
       109,
       4,
       {"abcdefghijklm", "\tz\n"},
       {100, 63},
       {{4, 11}, {4, 60, 67}}},
      // limit 60: the tab fits (49 + 7), "x" reaches 63
      {"tab just fits", "abcdefg\tx\n", 69, 4, {"abcdefg\t", "x\n"}, {60, 7}, {{4}, {4, 11}}},
      // limit 50, narrower than a stop: the tab keeps a row of its own
      {"narrow window", "ab\tc\n", 59, 4, {"ab", "\t", "c\n"}, {50, 56, 7}, {{4}, {4, 60}, {4}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Ed ed(c.text, c.width, 140, c.code);
    ASSERT_EQ(ed.Lines(), c.lines);
    for (int i = 0; i < ed.d.lines; i++) {
      EXPECT_EQ(Line(&ed.d, i).width, c.widths[i]) << "line " << i;
      for (size_t col = 0; col < c.columnX[i].size(); col++)
        EXPECT_EQ(ColumnX(ed.e, i, static_cast<int>(col)), c.columnX[i][col])
            << "line " << i << " column " << col;
    }
  }
}

TEST(InputMltWndModel, ATabIsOneCharacterForKeysClicksAndWords) {
  Ed ed("a\tb\n\tc\n");  // line 0: a 4..11, tab 11..60, b 60..67; line 1: tab 4..60
  const struct {
    int x, y, byte;
  } clicks[] = {
      {35, 0, 1},  {36, 0, 2},   // the tab's middle is at 35
      {61, 0, 2},  {64, 0, 3},   // b
      {32, 14, 4}, {33, 14, 5},  // a tab at a row start: middle at 32
  };
  for (const auto& c : clicks) EXPECT_EQ(ClickByte(ed.e, c.x, c.y), c.byte) << c.x << "," << c.y;
  ed.Caret(1);
  ed.Key(kRight);
  EXPECT_EQ(ed.d.caret, 2);  // over the tab in one step
  ed.Key(kLeft, true);
  EXPECT_STREQ(ed.d.selectText, "\t");
  ed.Key(kBackSpace);
  EXPECT_EQ(ed.Text(), "ab\n\tc\n");
  ed.Caret(3);
  SelectWord(ed.e);  // a tab is a blank
  EXPECT_EQ(ed.d.caret, 3);
  EXPECT_EQ(ed.d.selectLen, 1);
}

TEST(InputMltWndModel, RandomTextsAlwaysTileAndNeverSplitAPair) {
  std::mt19937 rng(7);
  const char* pieces[] = {"a", " ", "\n", "\xA4\xA2", "\xB4\xC1", "xyz"};
  for (int round = 0; round < 200; round++) {
    std::string text;
    int n = rng() % 60;
    for (int i = 0; i < n; i++) text += pieces[rng() % 6];
    Ed ed(text, 5 + static_cast<int>(rng() % 80));
    ASSERT_TRUE(Consistent(ed));
    int start = 0;
    for (int i = 0; i < ed.d.lines; i++) {
      EXPECT_NE(CharClass(ed.e, start), charcode::kTrail) << "line " << i << " of " << text;
      start += Line(&ed.d, i).length;
    }
  }
}

TEST(InputMltWndModel, CharClassAgreesWithAWalkFromTheStart) {
  std::mt19937 rng(3);
  for (int code : {3, 4}) {
    for (int round = 0; round < 50; round++) {
      std::string text;
      for (int i = 0; i < 80; i++) text += static_cast<char>(rng() % 256 ? rng() % 256 : 'a');
      text += '\n';
      Ed ed(text, 200, 140, code);
      const unsigned char* t = reinterpret_cast<const unsigned char*>(CloseGap(&ed.d));
      for (int pos = 0; pos < ed.d.length; pos++)
        ASSERT_EQ(CharClass(ed.e, pos), charcode::CharClassAt(t, ed.d.length, pos, code))
            << "code " << code << " pos " << pos;
    }
  }
}

/* ---- creation and setting --------------------------------------------- */

TEST(InputMltWndModel, TextsAreStrippedOfCarriageReturnsAndEndWithANewline) {
  const struct {
    std::string in, out;
  } cases[] = {{"", "\n"}, {"ab\r\ncd", "ab\ncd\n"}, {"x\n", "x\n"}, {"\r", "\n"}};
  for (const auto& c : cases) {
    Ed ed("q");
    EXPECT_EQ(SetText(ed.e, c.in.data(), static_cast<int>(c.in.size())),
              static_cast<int>(c.out.size()));
    EXPECT_EQ(ed.Text(), c.out);
    EXPECT_TRUE(Consistent(ed));
  }
  Ed empty("");
  EXPECT_EQ(empty.d.length, 1);
  EXPECT_EQ(empty.d.lines, 1);
}

TEST(InputMltWndModel, TooLargeTextIsRefusedWhenSetAndEmptyAtCreation) {
  std::string big(kMaxTextSize + 1, 'a');
  Ed ed("keep\n");
  ed.d.update = 1;
  EXPECT_EQ(SetText(ed.e, big.data(), static_cast<int>(big.size())), -1);
  EXPECT_EQ(ed.Text(), "keep\n");
  EXPECT_EQ(ed.d.update, 1);
  Ed created(big);
  EXPECT_EQ(created.Text(), "\n");
  // Carriage returns are counted when set: the limit is on the data given
  std::string withCr(kMaxTextSize, 'a');
  withCr[0] = '\r';
  EXPECT_EQ(SetText(ed.e, withCr.data(), static_cast<int>(withCr.size())), kMaxTextSize);
}

// The limit leaves out the final newline, which the editor adds itself: a
// full text with it is set again, and no edit grows a text past the limit.
TEST(InputMltWndModel, AFullTextIsSetAgainAndDoesNotGrow) {
  std::string full(kMaxTextSize, 'a');
  full += '\n';
  Ed ed("x\n");
  ASSERT_EQ(SetText(ed.e, full.data(), static_cast<int>(full.size())), kMaxTextSize + 1);
  ed.Caret(0);
  EXPECT_EQ(AddText(ed.e, "b"), -1);
  EXPECT_EQ(ed.d.length, kMaxTextSize + 1);
  ed.d.selectLen = 2;
  EXPECT_GT(AddText(ed.e, "c"), 0) << "an edit that does not grow the text is taken";
  EXPECT_EQ(ed.d.length, kMaxTextSize);
}

TEST(InputMltWndModel, AddingTheEditorsOwnTextInsertsACopy) {
  Ed ed("abc\n");
  ed.Caret(1);
  EXPECT_EQ(AddText(ed.e, CloseGap(&ed.d)), 8);
  EXPECT_EQ(ed.Text(), "aabc\nbc\n");
  EXPECT_EQ(ed.d.update, 1);
  EXPECT_TRUE(Consistent(ed));
}

/* ---- cells ---------------------------------------------------------------- */

TEST(InputMltWndModel, CaretAndSelectionCellsAtLineBoundaries) {
  // limit 21 at width 30: "ab" wrapped, "cd\n" hard, "e\n" hard
  Ed ed("abcd\ne\n", 30);
  ASSERT_EQ(ed.Lines(), (std::vector<std::string>{"ab", "cd\n", "e\n"}));
  const struct {
    int pos;
    KrnCell caret, select;
  } cases[] = {
      {0, {0, 0}, {0, 0}}, {1, {0, 1}, {0, 1}},
      {2, {1, 0}, {0, 2}},  // wrap boundary: caret starts the next line, a selection end stays
      {4, {1, 2}, {1, 2}}, {5, {2, 0}, {2, 0}},
      {7, {2, 1}, {3, 0}},  // the very end
  };
  for (const auto& c : cases) {
    KrnCell caret = GetCaret(&ed.d, c.pos), select = GetSelectCaret(&ed.d, c.pos);
    EXPECT_EQ(caret.line, c.caret.line) << c.pos;
    EXPECT_EQ(caret.column, c.caret.column) << c.pos;
    EXPECT_EQ(select.line, c.select.line) << c.pos;
    EXPECT_EQ(select.column, c.select.column) << c.pos;
  }
}

TEST(InputMltWndModel, CellsCountLinesBeyondSixteenBits) {
  std::string text;
  for (int i = 0; i < 40000; i++) text += "a\n";
  Ed ed(text);
  ed.Caret(2 * 39000);
  EXPECT_EQ(ed.d.caretCell.line, 39000);
  EXPECT_EQ(ed.d.topLine, 39000 - 9);  // scrolled just far enough: the caret on the last row
}

/* ---- keys ------------------------------------------------------------------- */

TEST(InputMltWndModel, HorizontalMovesAndDeletionsTakeTwoByteCharactersWhole) {
  Ed ed("a" + K + "b\n");
  ed.Caret(3);  // after K
  EXPECT_FALSE(ed.Key(kLeft).bell);
  EXPECT_EQ(ed.d.caret, 1);
  ed.Key(kRight);
  EXPECT_EQ(ed.d.caret, 3);
  ed.Key(kLeft, true);
  EXPECT_EQ(ed.d.selectLen, -2);
  EXPECT_EQ(std::string(ed.d.selectText), K);
  ed.Caret(1);
  ed.Key(kRight, true);
  EXPECT_EQ(ed.d.selectLen, 2);

  ed.Caret(1);
  EXPECT_EQ(ed.Key(kDelete).ending, kEndEdit);
  EXPECT_EQ(ed.Text(), "ab\n");
  Ed back("a" + K + "b\n");
  back.Caret(3);
  back.Key(kBackSpace);
  EXPECT_EQ(back.Text(), "ab\n");
  EXPECT_EQ(back.d.caret, 1);
  EXPECT_EQ(back.d.update, 1);
  EXPECT_TRUE(Consistent(back));
}

// EUC-JP's half-width katakana is one character of two bytes (0x8E and
// the kana): moves and deletions take it whole, wrapping never splits it.
TEST(InputMltWndModel, EucHalfWidthKatakanaIsOneCharacter) {
  const std::string kana = "\x8e\xb1";
  Ed ed("a" + kana + kana + "b\n");
  ed.Caret(3);
  ed.Key(kLeft);
  EXPECT_EQ(ed.d.caret, 1);
  ed.Key(kRight);
  ed.Key(kRight);
  EXPECT_EQ(ed.d.caret, 5);
  ed.Key(kBackSpace);
  EXPECT_EQ(ed.Text(), "a" + kana + "b\n");
  ed.Caret(1);
  ed.Key(kDelete);
  EXPECT_EQ(ed.Text(), "ab\n");
  EXPECT_TRUE(Consistent(ed));
  Ed narrow("a" + kana + kana + kana + "\n", 9 + 21);
  for (const std::string& line : narrow.Lines())
    EXPECT_NE(line.back(), '\x8e') << "a line ends inside a katakana";
}

TEST(InputMltWndModel, RefusedKeysRingAndChangeNothing) {
  Ed ed("\n");
  Outcome bs = ed.Key(kBackSpace), del = ed.Key(kDelete);
  EXPECT_TRUE(bs.bell);
  EXPECT_EQ(bs.ending, kEndNone);
  EXPECT_TRUE(del.bell);
  EXPECT_EQ(del.ending, kEndNone);
  ed.Key(kEnd);
  EXPECT_EQ(ed.d.caret, 0);
  EXPECT_TRUE(ed.Key(kLeft).bell);
  EXPECT_TRUE(ed.Key(kRight).bell);
  EXPECT_TRUE(ed.Key(kDown).bell);
  EXPECT_EQ(ed.Text(), "\n");
  EXPECT_EQ(ed.d.update, 0);
}

TEST(InputMltWndModel, LeftAndRightAtTheEndsRingAndStillDropTheSelection) {
  Ed ed("abc\n");
  SetSelectRange(ed.e, 0, 2);  // "ab", caret at the start of the text
  Outcome left = ed.Key(kLeft);
  EXPECT_TRUE(left.bell);
  EXPECT_EQ(left.ending, kEndMove);
  EXPECT_EQ(ed.d.caret, 0);
  EXPECT_EQ(ed.d.selectLen, 0);
  EXPECT_STREQ(ed.d.selectText, "");
  SetSelectRange(ed.e, 3, 1);  // refused: start after end
  ed.Caret(3);
  ed.Key(kLeft, true);  // "c" selected leftwards, caret before the newline
  ASSERT_EQ(ed.d.selectLen, -1);
  Outcome right = ed.Key(kRight);
  EXPECT_TRUE(right.bell);
  EXPECT_EQ(ed.d.caret, 3);
  EXPECT_EQ(ed.d.selectLen, 0);
  EXPECT_STREQ(ed.d.selectText, "");
}

TEST(InputMltWndModel, UpAndDownKeepTheByteColumn) {
  // line 0: four kanji (8 bytes), line 1: "ab", line 2: four kanji
  std::string four = K + J + K + J;
  Ed ed(four + "\nab\n" + four + "\n");
  const struct {
    int from;
    mlt::Key key;
    int to;
  } cases[] = {
      {16, kUp, 11},    // column 4 of line 2 -> end of the shorter "ab\n" (its newline)
      {12, kUp, 9},     // column 0 -> column 0
      {4, kDown, 11},   // column 4 of line 0 -> end of "ab"
      {10, kDown, 14},  // column 1 of "ab" lands on a second byte: behind that character
      {2, kDown, 11},  {14, kDown, 20},  // last line: to the end
  };
  for (const auto& c : cases) {
    ed.Caret(c.from);
    ed.Key(c.key);
    EXPECT_EQ(ed.d.caret, c.to) << c.from;
  }
  ed.Caret(4);
  EXPECT_TRUE(ed.Key(kUp).bell);
  EXPECT_EQ(ed.d.caret, 4);
}

TEST(InputMltWndModel, UpAndDownAcrossWrappedLines) {
  // width 9 + 30: a full line of "aaaa" (28 px) wraps at the fifth a
  Ed ed("aaaaaaaa" + std::string("\n"), 9 + 30);
  ASSERT_EQ(ed.Lines(), (std::vector<std::string>{"aaaa", "aaaa\n"}));
  ed.Caret(6);  // column 2 of the wrapped second line
  ed.Key(kUp);
  EXPECT_EQ(ed.d.caret, 2);
  ed.Key(kDown);
  EXPECT_EQ(ed.d.caret, 6);
  // A wrapped line above that is not longer than the column: the caret
  // stays at the start of its own line
  Ed wide("aaaa" + K + J + "bbbbbb\n", 9 + 40);
  ASSERT_EQ(wide.Lines(), (std::vector<std::string>{"aaaa", K + J + "b", "bbbbb\n"}));
  wide.Caret(4 + 5 + 4);  // column 4 of "bbbbb\n": the line above is longer
  wide.Key(kUp);
  EXPECT_EQ(wide.d.caret, 8);
  wide.Caret(4 + 5 + 5);  // column 5: not shorter than the wrapped line above
  wide.Key(kUp);
  EXPECT_EQ(wide.d.caret, 9);
}

TEST(InputMltWndModel, HomeEndAndPagesMoveAsTheyShould) {
  std::string text;
  for (int i = 0; i < 30; i++) text += "line\n";
  Ed ed(text, 200, 140);  // page = 10 lines
  ed.Caret(12);
  ed.Key(kEnd);
  EXPECT_EQ(ed.d.caret, static_cast<int>(text.size()) - 1);
  ed.Key(kHome);
  EXPECT_EQ(ed.d.caret, 0);
  ed.Key(kNext);
  EXPECT_EQ(ed.d.topLine, 10);
  ed.Key(kNext);
  EXPECT_EQ(ed.d.topLine, 20);
  EXPECT_EQ(ed.Key(kNext).ending, kEndView);
  EXPECT_EQ(ed.d.topLine, 20);  // reaching the line count: the last page
  EXPECT_EQ(ed.d.caret, 0);
  ed.Key(kPrior);
  ed.Key(kPrior);
  ed.Key(kPrior);
  EXPECT_EQ(ed.d.topLine, 0);
}

TEST(InputMltWndModel, ShiftDownOnTheLastLineSelectsToTheEnd) {
  Ed ed("ab\ncd\n");
  ed.Caret(1);
  ed.Key(kDown, true);
  EXPECT_EQ(ed.d.selectLen, 3);
  Outcome o = ed.Key(kDown, true);
  EXPECT_TRUE(o.bell);
  EXPECT_EQ(ed.d.selectLen, 4);  // up to the final newline
  EXPECT_EQ(std::string(ed.d.selectText), "b\ncd");
}

TEST(InputMltWndModel, TypingReplacesTheSelectionAndReportsLargeStrings) {
  Ed ed("hello world\n");
  SetSelectRange(ed.e, 6, 11);
  Outcome o = ed.Type("there");
  EXPECT_EQ(o.ending, kEndEdit);
  EXPECT_FALSE(o.wholeRedraw);
  EXPECT_EQ(ed.Text(), "hello there\n");
  EXPECT_EQ(ed.d.caret, 11);
  EXPECT_EQ(ed.d.selectLen, 0);
  EXPECT_STREQ(ed.d.selectText, "");
  EXPECT_TRUE(ed.Type(std::string(20, 'x')).wholeRedraw == false);
  EXPECT_TRUE(ed.Type(std::string(21, 'x')).wholeRedraw);
  EXPECT_EQ(ed.Key(kReturn).ending, kEndEdit);
  EXPECT_TRUE(Consistent(ed));
}

TEST(InputMltWndModel, TypingOverASelectionWithTheFinalNewline) {
  Ed ed("ab\n");
  ASSERT_EQ(SetSelectRange(ed.e, 0, ed.d.length), 1);
  EXPECT_EQ(ed.d.selectLen, 3);
  ed.Type("x" + K);
  EXPECT_EQ(ed.Text(), "x" + K);
  EXPECT_EQ(ed.Hard(), std::vector<int>{0});
  EXPECT_TRUE(Consistent(ed));
  // the editor keeps working on a text without a final newline
  ed.Key(kHome);
  ed.Key(kEnd);
  EXPECT_EQ(ed.d.caret, 3);
  EXPECT_TRUE(ed.Key(kDelete).bell);
  ed.Key(kLeft);
  EXPECT_EQ(ed.d.caret, 1);
  ed.Key(kDelete);
  EXPECT_EQ(ed.Text(), "x");
  // deleting everything leaves an empty text with the caret at 0
  SetSelectRange(ed.e, 0, ed.d.length);
  ed.Key(kBackSpace);
  EXPECT_EQ(ed.d.length, 0);
  EXPECT_EQ(ed.d.lines, 0);
  for (mlt::Key k : {kEnd, kDown, kUp, kRight, kLeft}) {
    ed.Key(k);
    EXPECT_EQ(ed.d.caret, 0);
  }
  EXPECT_TRUE(ed.Key(kDelete).bell);
  EXPECT_EQ(ClickByte(ed.e, 50, 50), 0);
  ed.Type("z");
  EXPECT_EQ(ed.Text(), "z");
}

/* ---- mouse ------------------------------------------------------------------ */

TEST(InputMltWndModel, ClicksPutTheCaretBeforeOrAfterTheNearestMiddle) {
  Ed ed("ab" + K + "\nc\n");
  const struct {
    int x, y, byte;
  } cases[] = {
      {4, 0, 0},    {7, 0, 0},   {8, 0, 1},  // middle of "a" at 4 + 3
      {25, 0, 2},   {26, 0, 4},              // middle of K at 4 + 14 + 7
      {100, 0, 4},                           // right of the text: before the newline
      {100, 14, 6}, {0, 500, 6},             // below the lines: before the final newline
  };
  for (const auto& c : cases) EXPECT_EQ(ClickByte(ed.e, c.x, c.y), c.byte) << c.x << "," << c.y;
}

TEST(InputMltWndModel, DoubleClickSelectsAWordOrABlankRun) {
  const struct {
    std::string text;
    int caret, start, length;
  } cases[] = {
      {"foo bar\n", 5, 4, 3},
      {"foo   bar\n", 4, 3, 3},
      {"foo bar\n", 7, 4, 3},  // on the newline: the word before it
      {"foo\n", 1, 0, 3},
      {K + J + " x\n", 2, 0, 4},  // two-byte characters belong to words
      {"a  \n", 1, 1, 2},
      {"ab\n\ncd\n", 3, 3, 0},  // an empty line selects nothing, not the word above
      {"x\n\n", 2, 2, 0},
      {"\n", 0, 0, 0},
      {" ab\n", 2, 1, 2},
  };
  for (const auto& c : cases) {
    Ed ed(c.text);
    ed.Caret(c.caret);
    SelectWord(ed.e);
    EXPECT_EQ(ed.d.caret, c.start) << c.text;
    EXPECT_EQ(ed.d.selectLen, c.length) << c.text;
  }
  Ed ed("foo bar\n");
  PressButton(ed.e, 4 + 7 * 5, 3, 1000, false, 300);
  EXPECT_EQ(ed.d.caret, 5);
  PressButton(ed.e, 4 + 7 * 5, 3, 1100, false, 300);
  EXPECT_EQ(ed.d.caret, 4);
  EXPECT_EQ(ed.d.selectLen, 3);
  EXPECT_STREQ(ed.d.selectText, "bar");
}

TEST(InputMltWndModel, ClickReportsOnlyRealChangesAndShiftExtends) {
  Ed ed("abcdef\n");
  Outcome same = PressButton(ed.e, 4, 3, 1000, false, 300);
  EXPECT_TRUE(same.quiet);
  Outcome moved = PressButton(ed.e, 4 + 7 * 3, 3, 5000, false, 300);
  EXPECT_FALSE(moved.quiet);
  EXPECT_EQ(ed.d.caret, 3);
  Outcome extended = PressButton(ed.e, 4 + 7 * 1, 3, 9000, true, 300);
  EXPECT_FALSE(extended.quiet);
  EXPECT_EQ(ed.d.selectLen, -2);
}

TEST(InputMltWndModel, DragSelectsThrottledAndScrollsAboveTheView) {
  std::string text;
  for (int i = 0; i < 30; i++) text += "line\n";
  Ed ed(text);
  SetPos(ed.e, 5);
  ed.d.topLine = 5;
  PressButton(ed.e, 4, 3, 1000, false, 300);
  EXPECT_EQ(ed.d.caret, 25);
  EXPECT_EQ(Motion(ed.e, 4 + 14, 14 + 3, 2000, 35).ending, kEndMove);
  EXPECT_EQ(ed.d.selectLen, 7);                                   // line 6, offset 2
  EXPECT_EQ(Motion(ed.e, 4, 28 + 3, 2010, 35).ending, kEndNone);  // within the interval
  EXPECT_EQ(ed.d.selectLen, 7);
  Motion(ed.e, 4, -3, 2100, 35);  // above the view: one line up, scrolled
  EXPECT_EQ(ed.d.selectLen, -5);
  EXPECT_EQ(ed.d.topLine, 4);
  int before = ed.d.selectLen;
  EXPECT_EQ(Motion(ed.e, 4, 14 * 40, 2200, 35).ending, kEndNone);  // below the last line
  EXPECT_EQ(ed.d.selectLen, before);
  ed.d.buttonDown = 0;
  EXPECT_EQ(Motion(ed.e, 4, 14, 3000, 35).ending, kEndNone);
}

/* ---- running out of memory ------------------------------------------------- */

// Fails the n-th allocation or growth from now on (counting from 1).
int g_failAt = 0;
int g_calls = 0;
void* CountingAlloc(size_t size) {
  return ++g_calls == g_failAt ? nullptr : malloc(size);
}
void* CountingResize(void* p, size_t size) {
  return ++g_calls == g_failAt ? nullptr : realloc(p, size);
}
const Allocator kCounting{CountingAlloc, CountingResize};

class FailingAllocation : public ::testing::Test {
 protected:
  void Fail(int n) {
    g_calls = 0;
    g_failAt = n;
    SetAllocator(&kCounting);
  }
  void TearDown() override { SetAllocator(nullptr); }
};

// Runs an edit with every allocation it makes failing in turn: each failure
// must leave text, lines, caret and selection exactly as they were.
template <typename Edit, typename Check>
void EveryFailureKeepsTheOldState(Ed& ed, Edit edit, Check checkSuccess) {
  for (int n = 1;; n++) {
    std::string text = ed.Text();
    std::vector<std::string> lines = ed.Lines();
    int caret = ed.d.caret, selectLen = ed.d.selectLen;
    g_calls = 0;
    g_failAt = n;
    SetAllocator(&kCounting);
    Outcome o = edit(ed);
    SetAllocator(nullptr);
    if (o.ending != kEndNone) {  // the edit went through (a later copy may have failed)
      checkSuccess(ed, o);
      return;
    }
    SCOPED_TRACE("allocation " + std::to_string(n) + " failed");
    EXPECT_TRUE(o.bell);
    EXPECT_EQ(o.ending, kEndNone);
    EXPECT_EQ(ed.Text(), text);
    EXPECT_EQ(ed.Lines(), lines);
    EXPECT_EQ(ed.d.caret, caret);
    EXPECT_EQ(ed.d.selectLen, selectLen);
    EXPECT_TRUE(Consistent(ed));
    ASSERT_LT(n, 100);
  }
}

TEST_F(FailingAllocation, TypingKeepsTheOldTextAndLines) {
  std::string para;
  for (int i = 0; i < 40; i++) para += "word" + K + " ";
  Ed ed(para + "\nend\n", 120);
  ed.Caret(30);
  EveryFailureKeepsTheOldState(
      ed, [](Ed& e) { return e.Type("new"); },
      [](Ed& e, Outcome o) {
        EXPECT_EQ(o.ending, kEndEdit);
        EXPECT_EQ(e.d.caret, 33);
        EXPECT_TRUE(Consistent(e));
      });
}

TEST_F(FailingAllocation, TypingOverASelectionAndDeletingKeepTheOldState) {
  Ed ed("first line\nsecond line\n", 60);
  SetSelectRange(ed.e, 3, 15);
  EveryFailureKeepsTheOldState(
      ed, [](Ed& e) { return e.Type(K); },
      [](Ed& e, Outcome) { EXPECT_EQ(e.Text(), "fir" + K + "nd line\n"); });
  ed.Caret(5);
  EveryFailureKeepsTheOldState(
      ed, [](Ed& e) { return e.Key(kBackSpace); },
      [](Ed& e, Outcome) { EXPECT_EQ(e.Text(), "firnd line\n"); });
  EveryFailureKeepsTheOldState(
      ed, [](Ed& e) { return e.Key(kReturn); },
      [](Ed& e, Outcome) { EXPECT_EQ(e.Text(), "fir\nnd line\n"); });
}

TEST_F(FailingAllocation, AFailedSelectedCopyHoldsNoStaleText) {
  Ed ed("abcdef\n");
  SetSelectRange(ed.e, 0, 3);
  ASSERT_STREQ(ed.d.selectText, "abc");
  Fail(1);
  ed.Key(kRight, true);
  SetAllocator(nullptr);
  EXPECT_EQ(ed.d.selectLen, 4);
  EXPECT_STREQ(ed.d.selectText, "");
}

TEST_F(FailingAllocation, SettingAndAddingKeepTheOldText) {
  Ed ed("old\n");
  for (int n = 1; n < 10; n++) {
    Fail(n);
    int r = SetText(ed.e, "new text", 8);
    SetAllocator(nullptr);
    if (r != -1) break;
    EXPECT_EQ(ed.Text(), "old\n");
    EXPECT_TRUE(Consistent(ed));
  }
  EXPECT_EQ(ed.Text(), "new text\n");
  for (int n = 1; n < 10; n++) {
    Fail(n);
    int r = AddText(ed.e, "++");
    SetAllocator(nullptr);
    if (r != -1) break;
    EXPECT_EQ(ed.Text(), "new text\n");
    EXPECT_TRUE(Consistent(ed));
  }
  EXPECT_EQ(ed.Text(), "++new text\n");
}

// The text's gap at the very start, inside and at the very end, each time
// too small for what is typed: a growth that fails keeps text and lines,
// one that works keeps the bytes on both sides of the gap where they were.
TEST_F(FailingAllocation, GrowingTheGapAtEitherEndOrInsideKeepsTheText) {
  const std::string text = "first " + K + " line\nsecond line that wraps\nend\n";
  const std::string big(300, 'g');  // more than any gap left after a growth
  for (int at : {0, 12, static_cast<int>(text.size()) - 1}) {
    SCOPED_TRACE("at " + std::to_string(at));
    Ed ed(text, 60);
    ASSERT_EQ(ed.d.capacity, ed.d.length);  // loaded without a gap
    ed.Caret(at);
    std::string expected = text;
    for (const std::string& typed : {std::string("x"), big, big + "\n" + K}) {
      expected.insert(static_cast<size_t>(ed.d.caret), typed);
      EveryFailureKeepsTheOldState(
          ed, [&](Ed& e) { return e.Type(typed); },
          [&](Ed& e, Outcome) {
            EXPECT_EQ(e.Text(), expected);
            EXPECT_TRUE(Consistent(e));
          });
    }
    EXPECT_TRUE(InOnePiece(ed));
  }
}

TEST_F(FailingAllocation, AFailedResizeKeepsTheOldLines) {
  Ed ed("abcdefgh\n", 200);
  std::vector<std::string> lines = ed.Lines();
  Fail(1);
  ed.e.view.width = 30;
  Resized(ed.e);
  SetAllocator(nullptr);
  EXPECT_EQ(ed.Lines(), lines);
  EXPECT_TRUE(Consistent(ed));
}

/* ---- re-wrapping only what an edit changed ------------------------------------ */

// Everything an edit leaves in the record, lines included, must be what a
// whole rebuild of the lines gives.
::testing::AssertionResult Same(const Ed& fast, const Ed& whole) {
  const InputMltWndData &a = fast.d, &b = whole.d;
  KrnCell x = GetSelectCaret(&a, a.caret + a.selectLen);
  KrnCell y = GetSelectCaret(&b, b.caret + b.selectLen);
  if (fast.Text() != whole.Text() || a.lines != b.lines)
    return ::testing::AssertionFailure() << "texts or line counts differ";
  for (int i = 0; i < a.lines; i++) {
    TextLine p = Line(&a, i), q = Line(&b, i);
    if (memcmp(&p, &q, sizeof p) != 0) return ::testing::AssertionFailure() << "line " << i;
  }
  if (a.caret != b.caret || a.selectLen != b.selectLen || a.topLine != b.topLine ||
      memcmp(&a.caretCell, &b.caretCell, sizeof x) != 0 || memcmp(&x, &y, sizeof x) != 0 ||
      a.update != b.update || strcmp(a.selectText, b.selectText) != 0)
    return ::testing::AssertionFailure() << "caret, selection or view differ";
  return Consistent(fast);
}

int VaryingSingle(void*, unsigned char b) {
  return 3 + b % 9;
}
int VaryingPair(void*, unsigned char row, unsigned char cell) {
  return 8 + (row * 7 + cell) % 11;
}

// Thousands of random edits (typing, Return, BackSpace, Delete, typing over
// and deleting selections, pasting, undo and redo) at random places, line
// starts and the
// ends of the text, in ASCII and two-byte text with tabs and long
// paragraphs, at several widths down to narrower than one character: one
// editor splices its lines, its twin rebuilds them whole every time and
// closes its text's gap after every edit, so the two keep their gaps in
// different places.  Large texts also take edits at their very start and
// end only, and long runs of edits at one place (the caret left where the
// last edit put it) moving to a random place now and then.  Now and then
// an allocation of the spliced edit fails: nothing may change.
TEST(InputMltWndModel, SplicedLinesEqualAWholeRebuildAfterRandomEdits) {
  std::mt19937 rng(13);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  // "\xB4" is a first byte alone
  const std::string pieces[] = {"a",    "bc", "word ", " ",   "  ",          "\t",   "\n",
                                "\n\n", K,    A,       I + J, K + K + K + K, "\xB4", "\xB1\xA8"};
  auto randomText = [&](int pieceCount, bool paragraphs) {
    std::string t;
    for (int i = 0; i < pieceCount; i++) {
      const std::string& p = pieces[pick(static_cast<int>(std::size(pieces)))];
      if (p[0] != '\n' || !paragraphs || !pick(8)) t += p;  // long runs without a line feed
    }
    return t.empty() ? "x" : t;
  };
  // The last run starts from a text large enough for a whole rebuild to
  // memorize character widths.
  enum Places { kAnywhere, kEnds, kStay };
  const struct {
    int width, pieces, steps, limit;
    Places places;
  } runs[] = {{4, 200, 2500, 3000, kAnywhere},      {16, 200, 2500, 3000, kAnywhere},
              {23, 200, 2500, 3000, kAnywhere},     {30, 200, 2500, 3000, kAnywhere},
              {47, 200, 2500, 3000, kAnywhere},     {100, 200, 2500, 3000, kAnywhere},
              {200, 200, 2500, 3000, kAnywhere},    {640, 200, 2500, 3000, kAnywhere},
              {300, 30000, 300, 200000, kAnywhere}, {47, 2000, 2500, 8000, kStay},
              {300, 30000, 600, 200000, kEnds},     {300, 30000, 600, 200000, kStay}};
  const Key keys[] = {kReturn, kBackSpace, kDelete};
  for (const auto& run : runs) {
    SCOPED_TRACE("width " + std::to_string(run.width));
    std::string text = randomText(run.pieces, run.width % 2 == 0);
    Ed fast(text, run.width), whole(text, run.width);
    for (Ed* ed : {&fast, &whole}) {  // widths that differ from character to character
      ed->e.metrics.meter = charcode::CharMeter{VaryingSingle, VaryingPair, nullptr};
      ASSERT_GE(GetTextList(ed->e), 0);
    }
    const InputMltWndData& d = fast.d;
    // A place: anywhere (also inside a pair), a line start (a wrap point)
    // or next to it, an end of the text.
    auto place = [&]() {
      if (run.places == kEnds) return pick(2) ? pick(3) : d.length - pick(4);
      int kind = pick(5);
      if (kind == 0) return pick(d.length + 1);
      if (kind <= 2) return LineStart(&d, pick(d.lines + 1)) + pick(3) - 1;
      return kind == 3 ? 0 : d.length - pick(3);
    };
    int stay = 0;  // edits left at the caret before the next jump
    for (int step = 0; step < run.steps; step++) {
      // 0 type, 1..3 a key, 4 type over a selection, 5 delete it, 6 paste,
      // 7 undo, 8 redo (the history's steps go through the same buffer)
      int op = d.length > run.limit ? 5 : pick(9);
      int at = place(), to = d.length > run.limit ? pick(d.length) : place();
      if (op >= 4 || d.length > run.limit) at = std::min(at, to), to = std::max(at, to);
      std::string typed = randomText(1 + pick(pick(4) ? 3 : 40), pick(2));
      Key key = op == 5 ? keys[1 + pick(2)] : keys[op % 3];
      bool jump = true;
      if (run.places == kStay && op != 5) {
        if (op == 4) op = 0;
        jump = stay-- <= 0;
        if (jump) stay = pick(300);
      }
      for (Ed* ed : {&fast, &whole}) {
        if (op >= 4 && op <= 6 && (op != 6 || jump)) SetSelectRange(ed->e, at, to);
        if (op < 4 && jump) SetCaretPos(ed->e, at);
      }
      auto edit = [&](Ed& ed) {
        if (op == 0 || op == 4) return ed.Type(typed).ending == kEndEdit;
        if (op == 6) return AddText(ed.e, typed.c_str()) != -1;
        if (op >= 7) return (op == 7 ? Undo(ed.e) : Redo(ed.e)) == 1;
        return ed.Key(key).ending == kEndEdit;
      };
      Ed::Snapshot before = fast.Snap();
      bool failing = step % 9 == 0;
      g_calls = 0;
      g_failAt = 1 + pick(3);
      if (failing) SetAllocator(&kCounting);
      bool edited = edit(fast);
      SetAllocator(nullptr);
      if (failing && !edited) {  // nothing changed; the twins stay in step
        EXPECT_EQ(fast.Snap(), before) << "step " << step;
        continue;
      }
      // An edit that went through may have failed to copy the selection
      // it left (an undo restores one): copied again, as the next move would.
      if (failing) SetSelectText(&fast.d);
      whole.d.wrapWidth = INT_MIN;  // lines of no known width: rebuilt whole
      edit(whole);
      CloseGap(&whole.d);
      ASSERT_TRUE(Same(fast, whole)) << "step " << step << " op " << op << " at " << at;
      if (step % 97 == 96) {
        ASSERT_TRUE(InOnePiece(fast)) << "step " << step;
      }
    }
  }
}

}  // namespace

/* ---- undo and redo -------------------------------------------------------- */

namespace undotest {

struct State {
  std::string text;
  int caret, selectLen;
  bool operator==(const State& o) const {
    return text == o.text && caret == o.caret && selectLen == o.selectLen;
  }
};

State Of(const Ed& ed) {
  return State{ed.Text(), ed.d.caret, ed.d.selectLen};
}

size_t Depth(const Ed& ed) {
  return ed.d.undo->applied;
}

std::string RandomPiece(std::mt19937& rng) {
  const std::string pieces[] = {"a", "B", "x y", "\n", A, K + J, "ab" + I, "\t"};
  return pieces[rng() % std::size(pieces)];
}

// One random action: an edit of any kind, or a caret move or selection.
void RandomAction(Ed& ed, std::mt19937& rng) {
  int len = ed.d.length;
  switch (rng() % 11) {
    case 0:
    case 1:
      ed.Type(RandomPiece(rng));
      break;
    case 2:
      ed.Key(kReturn);
      break;
    case 3:
      ed.Key(kBackSpace);
      break;
    case 4:
      ed.Key(kDelete);
      break;
    case 5:
      ed.Key(rng() % 2 ? kLeft : kRight, rng() % 3 == 0);
      break;
    case 6:
      ed.Caret(static_cast<int>(rng() % static_cast<unsigned>(len + 1)));
      break;
    case 7: {
      int a = static_cast<int>(rng() % static_cast<unsigned>(len + 1));
      int b = static_cast<int>(rng() % static_cast<unsigned>(len + 1));
      SetSelectRange(ed.e, a < b ? a : b, a < b ? b : a);
      break;
    }
    case 8:
      AddText(ed.e, RandomPiece(rng).c_str());
      break;
    case 9: {  // the modified flag is the caller's here, as in the window
      size_t depth = Depth(ed);
      DelSelectText(ed.e);
      if (Depth(ed) > depth) ed.d.update = 1;
      break;
    }
    case 10:
      ReplaceAll(ed.e, "a", 1, (K + "z").c_str(), 3, 0);
      break;
  }
}

}  // namespace undotest

TEST(InputMltWndUndo, RandomEditsUndoAndRedoThroughEveryStateAndTheSavePoint) {
  using namespace undotest;
  std::mt19937 rng(21);
  for (int round = 0; round < 40; round++) {
    SCOPED_TRACE(round);
    std::string start;
    for (int i = 0; i < 12; i++) start += RandomPiece(rng);
    Ed ed(start, 60 + static_cast<int>(rng() % 100));
    std::vector<State> before, after;  // each step's states
    long saved = 0;
    for (int i = 0; i < 60; i++) {
      State was = Of(ed);
      size_t depth = Depth(ed);
      RandomAction(ed, rng);
      if (Depth(ed) > depth) before.push_back(was);
      if (Depth(ed) > depth || !(Of(ed).text == was.text)) after.resize(Depth(ed), Of(ed));
      if (Depth(ed) > 0 && !(Of(ed).text == was.text)) after[Depth(ed) - 1] = Of(ed);
      if (rng() % 15 == 0) {
        SetUpdateFlag(&ed.d, 0);
        saved = static_cast<long>(Depth(ed));
      }
      ASSERT_EQ(ed.d.update, static_cast<long>(Depth(ed)) == saved ? 0 : 1);
    }
    ASSERT_EQ(before.size(), Depth(ed));
    for (size_t k = before.size(); k > 0; k--) {
      ASSERT_EQ(Undo(ed.e), 1);
      ASSERT_TRUE(Of(ed) == before[k - 1]) << "undo to before step " << k;
      ASSERT_EQ(ed.d.update, static_cast<long>(k - 1) == saved ? 0 : 1);
      ASSERT_TRUE(Consistent(ed));
    }
    EXPECT_EQ(Undo(ed.e), 0);
    for (size_t k = 1; k <= after.size(); k++) {
      ASSERT_EQ(Redo(ed.e), 1);
      ASSERT_TRUE(Of(ed) == after[k - 1]) << "redo of step " << k;
      ASSERT_EQ(ed.d.update, static_cast<long>(k) == saved ? 0 : 1);
      ASSERT_TRUE(Consistent(ed));
    }
    EXPECT_EQ(Redo(ed.e), 0);
  }
}

TEST(InputMltWndUndo, TypingGroupsUntilTheCaretMovesOrTheKindChanges) {
  Ed ed("hello world\n");
  ed.Caret(5);
  ed.Type(",");
  ed.Type(" ");
  ed.Type("my");       // one step: ", my"
  ed.Key(kBackSpace);  // a new kind: BackSpace
  ed.Key(kBackSpace);  // merges
  ed.Caret(0);         // the caret moved
  ed.Type(">");        // a new step
  EXPECT_EQ(ed.Text(), ">hello,  world\n");
  ASSERT_EQ(Undo(ed.e), 1);
  EXPECT_EQ(ed.Text(), "hello,  world\n");
  ASSERT_EQ(Undo(ed.e), 1);
  EXPECT_EQ(ed.Text(), "hello, my world\n");
  EXPECT_EQ(ed.d.caret, 9);
  ASSERT_EQ(Undo(ed.e), 1);
  EXPECT_EQ(ed.Text(), "hello world\n");
  EXPECT_EQ(ed.d.update, 0);
  EXPECT_EQ(CanUndo(&ed.d), 0);
  EXPECT_EQ(CanRedo(&ed.d), 1);
}

TEST(InputMltWndUndo, SelectAllAndALetterComeBackInOneStep) {
  std::string text = "line one\nline " + K + J + "\n";
  Ed ed(text);
  SetSelectRange(ed.e, 0, ed.d.length);
  ed.Type("q");
  ed.Type("w");
  EXPECT_EQ(ed.Text(), "qw");
  ASSERT_EQ(Undo(ed.e), 1);
  EXPECT_EQ(ed.Text(), text);
  EXPECT_EQ(ed.d.caret, 0);
  EXPECT_EQ(ed.d.selectLen, static_cast<int>(text.size()));
  EXPECT_STREQ(ed.d.selectText, text.c_str());
  ASSERT_EQ(Redo(ed.e), 1);
  EXPECT_EQ(ed.Text(), "qw");
}

TEST(InputMltWndUndo, NewTextClearsTheHistoryAndTheCapDropsTheOldestSteps) {
  Ed ed("abc\n");
  ed.Type("x");
  SetText(ed.e, "new\n", 4);
  EXPECT_EQ(CanUndo(&ed.d), 0);
  SetUndoLimit(&ed.d, 2000);
  for (int i = 0; i < 40; i++) {
    ed.Caret(0);
    ed.Type(std::string(100, 'z'));  // a step of its own each time
  }
  EXPECT_LE(UndoBytes(&ed.d), 2000u + 400u);
  int steps = 0;
  while (Undo(ed.e)) steps++;
  EXPECT_GT(steps, 0);
  EXPECT_LT(steps, 40);
  // the saved state (the new text) was dropped with the oldest steps
  EXPECT_EQ(ed.d.update, 1);
  // a single step larger than the cap is still kept
  SetUndoLimit(&ed.d, 10);
  ed.Caret(0);
  ed.Type(std::string(500, 'y'));
  EXPECT_EQ(Undo(ed.e), 1);
}

/* ---- search and replace ---------------------------------------------------- */

TEST(InputMltWndSearch, MatchesWholeCharactersFoldingOnlyAsciiLetters) {
  const std::string ka = "\x83\x41";  // Shift_JIS katakana a: its second byte is 'A'
  struct Case {
    const char* name;
    std::string text, pattern;
    int code, flags, from, expect;
  };
  const Case cases[] = {
      {"plain", "one two\n", "two", 4, 0, 0, 4},
      {"case folded", "One TWO\n", "two", 4, 0, 0, 4},
      {"match case", "One TWO two\n", "two", 4, kFindMatchCase, 0, 8},
      {"across a character boundary", A + I + "\n", "\xA2\xA4", 4, 0, 0, -1},
      {"ending inside a character", "x" + A + "\n", "x\xA4", 4, 0, 0, -1},
      {"kanji exact", "a" + K + J + "\n", K + J, 4, 0, 0, 1},
      {"second byte that looks like a letter", ka + "a\n", "A", 3, 0, 0, 2},
      {"folding spares second bytes",
       "\x83"
       "a\n",
       "\x83"
       "A",
       3, 0, 0, -1},
      {"from after the first", "ab ab\n", "ab", 4, 0, 1, 3},
      {"backward", "ab ab ab\n", "ab", 4, kFindBackward, 6, 3},
      {"backward never inside", A + A + "\n", "\xA2\xA4", 4, kFindBackward, 5, -1},
      {"not found", "abc\n", "abd", 4, 0, 0, -1},
      {"longer than the text", "ab\n", "abcd", 4, 0, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ed ed(c.text, 200, 140, c.code);
    EXPECT_EQ(Find(ed.e, c.pattern.data(), static_cast<int>(c.pattern.size()), c.from, c.flags),
              c.expect);
  }
}

TEST(InputMltWndSearch, FindNextSelectsWrapsAndLeavesTheSelectionWhenNotFound) {
  Ed ed("cat dog cat\n");
  EXPECT_EQ(FindNext(ed.e, "cat", 3, 0), 1);
  EXPECT_EQ(ed.d.caret, 0);
  EXPECT_EQ(ed.d.selectLen, 3);
  EXPECT_EQ(FindNext(ed.e, "CAT", 3, 0), 1);
  EXPECT_EQ(ed.d.caret, 8);
  EXPECT_EQ(FindNext(ed.e, "cat", 3, 0), 2);  // round the end
  EXPECT_EQ(ed.d.caret, 0);
  EXPECT_EQ(FindNext(ed.e, "cat", 3, kFindBackward), 2);  // round the start
  EXPECT_EQ(ed.d.caret, 8);
  EXPECT_EQ(FindNext(ed.e, "cow", 3, 0), 0);
  EXPECT_EQ(ed.d.caret, 8);
  EXPECT_EQ(ed.d.selectLen, 3);
  EXPECT_TRUE(SelectionMatches(ed.e, "Cat", 3, 0));
  EXPECT_FALSE(SelectionMatches(ed.e, "Cat", 3, kFindMatchCase));
}

TEST(InputMltWndSearch, ReplaceAllCountsAndUndoesInOneStep) {
  std::string text = "to " + A + I + " TO " + I + "to\n";
  Ed ed(text);
  ed.Caret(2);
  EXPECT_EQ(ReplaceAll(ed.e, "to", 2, "from", 4, 0), 3);
  EXPECT_EQ(ed.Text(), "from " + A + I + " from " + I + "from\n");
  EXPECT_EQ(ed.d.update, 1);
  EXPECT_TRUE(Consistent(ed));
  // "\xA4\xA4" occurs inside A+I only across the boundary: nothing to do
  EXPECT_EQ(ReplaceAll(ed.e, "\xA2\xA4", 2, "x", 1, 0), 0);
  ASSERT_EQ(Undo(ed.e), 1);
  EXPECT_EQ(ed.Text(), text);
  EXPECT_EQ(ed.d.caret, 2);
  EXPECT_EQ(ed.d.update, 0);
  EXPECT_EQ(ReplaceAll(ed.e, "to", 2, "", 0, kFindMatchCase), 2);
  EXPECT_EQ(ed.Text(), " " + A + I + " TO " + I + "\n");
}
