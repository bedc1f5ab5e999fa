// editor_check.cpp - the editor model driven by fuzz bytes.  The first
// bytes choose the code setting, the character widths, the window and the
// text; each later step is one action a user or the owner takes (typing,
// keys, clicks, drags, copy, cut, paste, resizing, the public setters),
// possibly with one of its allocations failing.  After every step the
// record is checked against what is worked out here from its text alone.
// Every call into the model is in the Model class below.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "checks.h"
#include "checks_util.h"
#include "controls/inputmltwnd_model.h"

namespace krnfuzz {

namespace {

constexpr int kMaxText = 16384;

/* ---- failing allocations ------------------------------------------------- */

int g_failAt = 0;  // the n-th allocation of the step fails (0: none)
int g_calls = 0;
bool g_failed = false;

void* FailingAlloc(size_t size) {
  if (++g_calls == g_failAt) {
    g_failed = true;
    return nullptr;
  }
  return malloc(size);
}
void* FailingResize(void* block, size_t size) {
  if (++g_calls == g_failAt) {
    g_failed = true;
    return nullptr;
  }
  return realloc(block, size);
}

/* ---- measuring ----------------------------------------------------------------- */

struct Widths {
  int single[256];
  int pair;
};
int SingleWidth(void* context, unsigned char b) {
  return static_cast<const Widths*>(context)->single[b];
}
int PairWidth(void* context, unsigned char, unsigned char) {
  return static_cast<const Widths*>(context)->pair;
}

/* ---- the record as seen from outside --------------------------------------------- */

struct State {
  std::string text;
  std::vector<std::string> lines;
  int caret;
  int selectLen;
  bool operator==(const State& o) const {
    return text == o.text && lines == o.lines && caret == o.caret && selectLen == o.selectLen;
  }
};

enum Result { kDone, kRefused, kNothing };

// The one place that knows the model's interface.
class Model {
 public:
  Model(int code, int width, int height, int lineHeight, const std::string& text) {
    memset(&widths_, 0, sizeof widths_);
    e_.d = &d_;
    e_.view = mlt::View{width, height, lineHeight};
    e_.metrics = mlt::Metrics{code, charcode::CharMeter{SingleWidth, PairWidth, &widths_}};
    text_ = text;
  }
  ~Model() { mlt::FreeData(&d_); }
  Widths& widths() { return widths_; }
  bool Init() { return mlt::InitText(e_, text_.data(), int(text_.size())) == 1; }

  State Snapshot() const {
    State s{Range(0, d_.text ? d_.length : 0), {}, d_.caret, d_.selectLen};
    for (int i = 0; i < d_.lines; i++) {
      TextLine l = mlt::Line(&d_, i);
      s.lines.push_back(Range(l.start, l.length));
    }
    return s;
  }
  // n bytes of the text from start, read across its gap.
  std::string Range(int start, int n) const {
    std::string bytes(size_t(n > 0 ? n : 0), '\0');
    mlt::CopyText(&d_, start, n, &bytes[0]);
    return bytes;
  }
  // The text in one piece, as the owner gets it.
  std::string Closed() { return std::string(mlt::CloseGap(&d_), size_t(d_.length)); }

  Result Type(const std::string& s) { return Ending(mlt::TypeText(e_, s.data(), int(s.size()))); }
  Result Key(int key, bool shift) { return Ending(mlt::PressKey(e_, mlt::Key(key), shift)); }
  Result Press(int x, int y, uint32_t time, bool shift) {
    return Ending(mlt::PressButton(e_, x, y, time, shift, 250));
  }
  Result Move(int x, int y, uint32_t time) { return Ending(mlt::Motion(e_, x, y, time, 35)); }
  void Release() { d_.buttonDown = 0; }
  void Resize(int width, int height) {
    e_.view.width = width;
    e_.view.height = height;
    mlt::Resized(e_);
  }
  Result SetCaret(int pos) { return mlt::SetCaretPos(e_, pos) ? kDone : kRefused; }
  Result Select(int start, int end) {
    return mlt::SetSelectRange(e_, start, end) ? kDone : kNothing;
  }
  Result SetText(const std::string& s) {
    return mlt::SetText(e_, s.data(), int(s.size())) >= 0 ? kDone : kRefused;
  }
  // Paste and the owner's insertion: the string goes in place of the selection.
  Result Add(const std::string& s) {
    if (s.empty() || s.find('\0') != std::string::npos) return kNothing;
    return mlt::AddText(e_, s.c_str()) >= 0 ? kDone : kRefused;
  }
  Result DeleteSelection() {
    if (d_.selectLen == 0) return kNothing;
    return mlt::DelSelectText(e_) ? kDone : kRefused;
  }
  void ShowLine(int line) { d_.topLine = mlt::SetPos(e_, line); }
  const char* SelectText() const { return d_.selectText; }

  // Fields the invariants read.
  const InputMltWndData& d() const { return d_; }
  const mlt::Editor& e() const { return e_; }
  int ColumnX(int line, int column) const { return mlt::ColumnX(e_, line, column); }
  // True when the lines (re-wrapped only where edits touched them) are what
  // wrapping the whole text at the same width gives.
  bool SameAsWholeRebuild() const {
    TextLine* list = nullptr;
    std::string text = Range(0, d_.length);
    int n = mlt::BuildLines(text.data(), d_.length, d_.wrapWidth, e_.metrics, &list);
    if (n < 0) return true;  // no memory to compare with
    bool same = n == d_.lines;
    for (int i = 0; same && i < n; i++) {
      TextLine l = mlt::Line(&d_, i);
      same = memcmp(&list[i], &l, sizeof l) == 0;
    }
    mlt::FreeTextList(list);
    return same;
  }

 private:
  static Result Ending(const mlt::Outcome& out) {
    return out.ending == mlt::kEndNone ? (out.bell ? kRefused : kNothing) : kDone;
  }
  Widths widths_;
  InputMltWndData d_{};
  mlt::Editor e_{};
  std::string text_;
};

/* ---- invariants ---------------------------------------------------------------- */

bool IsLead(int code, uint8_t b) {
  if (code == 4) return b >= 0xA1;
  if (code == 3) return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
  return false;
}

// For every position of the text (and its end): true when it lies inside a
// two-byte character, walking from the start.
std::vector<bool> Inside(const std::string& text, int code) {
  std::vector<bool> inside(text.size() + 1, false);
  for (size_t i = 0; i < text.size();) {
    if (IsLead(code, uint8_t(text[i])) && i + 1 < text.size()) {
      inside[i + 1] = true;
      i += 2;
    } else {
      i++;
    }
  }
  return inside;
}

// The caret cell worked out from the lines: the first line that ends at or
// after the position; on a boundary the start of the next line; the end of
// a text with a final newline stays before it.
KrnCell CellOf(const State& s, int pos) {
  int start = 0, n = int(s.lines.size());
  for (int i = 0; i < n; i++) {
    int end = start + int(s.lines[i].size());
    if (end >= pos) {
      int column = pos - start;
      if (pos != int(s.text.size()) && column == int(s.lines[i].size())) return {i + 1, 0};
      if (pos == int(s.text.size()) && !s.text.empty() && s.text.back() == '\n' && column > 0)
        column--;
      return {i, column};
    }
    if (i + 1 < n) start = end;
  }
  int column = pos - start;
  if (pos == int(s.text.size()) && !s.text.empty() && s.text.back() == '\n' && column > 0) column--;
  return {n > 0 ? n - 1 : 0, column < 0 ? 0 : column};
}

std::string CheckState(const Model& m, int code) {
  const InputMltWndData& d = m.d();
  State s = m.Snapshot();
  int length = d.length;
  FUZZ_CHECK(d.text && d.gapStart >= 0 && d.gapStart <= length, "no text, or the gap outside");
  FUZZ_CHECK(d.capacity >= length, "capacity below length");
  std::string joined;
  FUZZ_CHECK(d.lines >= 0 && d.lineRoom >= d.lines && (d.lines == 0 || d.lineList),
             "line count " + std::to_string(d.lines) + ", room " + std::to_string(d.lineRoom));
  std::vector<bool> inside = Inside(s.text, code);
  for (int i = 0; i < d.lines; i++) {
    TextLine l = mlt::Line(&d, i);
    FUZZ_CHECK(l.length > 0 && l.start == int(joined.size()), "line " + std::to_string(i));
    FUZZ_CHECK(!inside[joined.size()], "line " + std::to_string(i) + " starts inside a character");
    joined += m.Range(l.start, l.length);
  }
  FUZZ_CHECK(joined == s.text, "lines " + Show(joined) + " differ from the text " + Show(s.text));
  FUZZ_CHECK(m.SameAsWholeRebuild(), "lines differ from a whole re-wrap");
  FUZZ_CHECK(d.caret >= 0 && d.caret <= length, "caret " + std::to_string(d.caret));
  FUZZ_CHECK(!inside[size_t(d.caret)], "caret inside a character");
  int end = d.caret + d.selectLen;
  FUZZ_CHECK(end >= 0 && end <= length, "selection end " + std::to_string(end));
  FUZZ_CHECK(!inside[size_t(end)], "selection end inside a character");
  KrnCell cell = CellOf(s, d.caret);
  FUZZ_CHECK(d.caretCell.line == cell.line && d.caretCell.column == cell.column,
             "caret cell " + std::to_string(d.caretCell.line) + "," +
                 std::to_string(d.caretCell.column) + ", expected " + std::to_string(cell.line) +
                 "," + std::to_string(cell.column));
  FUZZ_CHECK(d.topLine >= 0 && d.topLine <= (d.lines > 0 ? d.lines : 0),
             "top line " + std::to_string(d.topLine) + " of " + std::to_string(d.lines));
  m.ColumnX(d.caretCell.line, d.caretCell.column);  // the preedit spot: must stay inside
  return "";
}

std::string Selected(const State& s) {
  int a = s.selectLen < 0 ? s.caret + s.selectLen : s.caret;
  int n = s.selectLen < 0 ? -s.selectLen : s.selectLen;
  return s.text.substr(size_t(a), size_t(n));
}

}  // namespace

std::string CheckEditor(const uint8_t* data, size_t size) {
  // KRNFUZZ_TRACE in the environment prints every step (for finding out
  // what a failing input does).
  static const bool kTrace = getenv("KRNFUZZ_TRACE") != nullptr;
  Reader in(data, size);
  uint8_t setup = in.Byte();
  const int codes[] = {4, 3, 1, 4};
  int code = codes[setup & 3];
  int width = in.Byte() * 2, height = in.Byte() * 2, lineHeight = 1 + in.Byte() % 20;
  Model m(code, width, height, lineHeight, in.Bytes(in.Byte()));
  Widths& w = m.widths();
  for (int b = 0; b < 256; b++) w.single[b] = (setup & 4) ? (b * 7 + setup) % 9 : 7;
  w.pair = (setup & 8) ? 1 + setup % 23 : 14;
  if (!m.Init()) return "";
  std::string clip;
  bool haveClip = false;
  uint32_t time = 1000;
  std::string failure = CheckState(m, code);
  if (!failure.empty()) return "start: " + failure;

  for (int step = 0; !in.AtEnd(); step++) {
    // Pasting a growing selection doubles the text; past this size steps
    // only cost time (every edit rewraps the whole text), so the run ends.
    if (m.d().length > kMaxText) break;
    uint8_t op = in.Byte();
    if (op % 16 == 15) {  // the next action's n-th allocation fails
      g_failAt = 1 + in.Byte() % 8;
      continue;
    }
    State before = m.Snapshot();
    bool edit = false;       // an action that changes the text when it goes through
    bool selecting = false;  // an action after which the selected copy is fresh
    std::string inserted;    // what an insertion puts in place of the selection
    Result result = kNothing;
    g_calls = 0;
    g_failed = false;
    mlt::Allocator failing{FailingAlloc, FailingResize};
    if (g_failAt) mlt::SetAllocator(&failing);
    switch (op % 16) {
      case 0: {  // typing ASCII, a tab among it
        std::string s;
        for (int n = 1 + in.Byte() % 3; n > 0; n--) {
          int c = in.Byte() % 96;
          s += c == 95 ? '\t' : char(0x20 + c);
        }
        if (s.back() == 0x20 && (op & 0x10)) s.back() = '\t';
        inserted = s;
        result = m.Type(s);
        edit = true;
        break;
      }
      case 1: {  // typing one two-byte character of the code setting
        uint8_t row = 0x21 + in.Byte() % 94, cell = 0x21 + in.Byte() % 94;
        std::string s;
        if (code == 3) {
          charcode::BytePair p = charcode::JisToSjis(row, cell);
          s = {char(p.first), char(p.second)};
        } else {
          s = {char(row | 0x80), char(cell | 0x80)};
        }
        inserted = s;
        result = m.Type(s);
        edit = true;
        break;
      }
      case 2: {  // typing what an input method hands over: any bytes but NUL
        std::string s = in.Bytes(1 + in.Byte() % 32);
        for (char& c : s)
          if (c == '\0') c = ' ';
        inserted = s;
        result = m.Type(s);
        edit = true;
        break;
      }
      case 3:
      case 4: {
        uint8_t k = in.Byte();
        int key = k % 11;
        result = m.Key(key, (k & 0x10) != 0);
        edit = key >= mlt::kBackSpace;
        if (key == mlt::kReturn) inserted = "\n";
        selecting = key < mlt::kPrior;
        break;
      }
      case 5: {
        int x = in.Byte() * 2 - 20, y = in.Byte() * 2 - 20;
        time += uint32_t(in.Byte()) * 4;
        result = m.Press(x, y, time, (op & 0x10) != 0);
        selecting = true;
        break;
      }
      case 6: {
        int x = in.Byte() * 2 - 20, y = in.Byte() * 2 - 40;
        time += uint32_t(in.Byte());
        result = m.Move(x, y, time);
        break;
      }
      case 7:
        m.Release();
        break;
      case 8:  // Copy
        haveClip = m.SelectText() != nullptr;
        clip = haveClip ? m.SelectText() : "";
        break;
      case 9:  // Paste
        if (haveClip) {
          inserted = clip;
          result = m.Add(clip);
          edit = true;
        }
        break;
      case 10:  // Cut
        haveClip = m.SelectText() != nullptr;
        clip = haveClip ? m.SelectText() : "";
        result = m.DeleteSelection();
        edit = true;
        break;
      case 11: {
        int newWidth = in.Byte() * 2, newHeight = in.Byte() * 2;
        m.Resize(newWidth, newHeight);
        break;
      }
      case 12:
        result = m.SetCaret(int16_t(in.Word()));
        selecting = true;
        break;
      case 13: {
        int start = int16_t(in.Word()), end = int16_t(in.Word());
        result = m.Select(start, end);
        selecting = result == kDone;
        break;
      }
      default: {  // the owner: a new text, an insertion, a scroll
        std::string s = in.Bytes(in.Byte() % 64);
        if (op & 0x10) {
          result = m.SetText(s);
        } else if (op & 0x20) {
          inserted = s;
          result = m.Add(s);
          edit = true;
        } else {
          m.ShowLine(int16_t(in.Word()));
        }
        break;
      }
    }
    mlt::SetAllocator(nullptr);
    bool failed = g_failed;
    g_failAt = 0;

    std::string where = "step " + std::to_string(step) + " (op " + std::to_string(op % 16) + ")";
    if (kTrace) {
      State t = m.Snapshot();
      fprintf(stderr, "%s%s: result %d, text %s, caret %d, selection %d, lines %zu\n",
              where.c_str(), failed ? " (allocation failed)" : "", int(result),
              Show(t.text).c_str(), t.caret, t.selectLen, t.lines.size());
    }
    failure = CheckState(m, code);
    if (!failure.empty()) return where + ": " + failure;
    State after = m.Snapshot();
    // Copy also hands the owner the whole text in one piece (the gap closed).
    if (op % 16 == 8)
      FUZZ_CHECK(m.Closed() == after.text, where + ": the text in one piece differs");
    if (result == kRefused && (edit || op % 16 == 14)) {
      FUZZ_CHECK(after == before, where + ": a refused edit changed the record");
    }
    if (result == kRefused) FUZZ_CHECK(failed || edit, where + ": refused without a cause");
    // An insertion that went through: the bytes in place of the selection,
    // the caret behind them.
    if (result == kDone && !inserted.empty()) {
      int a = before.selectLen < 0 ? before.caret + before.selectLen : before.caret;
      std::string expected = before.text.substr(0, size_t(a)) + inserted +
                             before.text.substr(size_t(a) + Selected(before).size());
      FUZZ_CHECK(after.text == expected, where + ": inserting " + Show(inserted) + " into " +
                                             Show(before.text) + " gave " + Show(after.text));
      // Behind the inserted bytes, or behind the character a lone first
      // byte at their end makes with the next byte.
      int behind = a + int(inserted.size());
      if (Inside(after.text, code)[size_t(behind)]) behind++;
      FUZZ_CHECK(after.caret == behind && after.selectLen == 0,
                 where + ": caret after an insertion");
    }
    // The selected copy was made in this step: the selected bytes exactly
    // (NULs in the text included) and a terminator.
    if (selecting && !failed && m.SelectText()) {
      std::string selected = Selected(after);
      FUZZ_CHECK(
          memcmp(m.SelectText(), selected.c_str(), selected.size() + 1) == 0,
          where + ": selected copy " + Show(m.SelectText()) + ", selection " + Show(selected));
    }
  }
  return "";
}

}  // namespace krnfuzz
