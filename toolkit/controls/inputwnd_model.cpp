// inputwnd_model.cpp - the single-line field's rules on its fixed buffer.
// Every edit is bounded by the 1024-byte limit before a byte is written, and
// caret moves and deletions step over a two-byte character as a whole.
#include "controls/inputwnd_model.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace iw {

namespace {

const unsigned char* U(const char* s) {
  return reinterpret_cast<const unsigned char*>(s);
}

int Clamp(int v, int low, int high) {
  return v < low ? low : (v > high ? high : v);
}

int SelectionStart(const InputWndData* d) {
  return d->selectLen < 0 ? d->caret + d->selectLen : d->caret;
}

// One character to the left or right of pos.
int StepLeft(const Field& f, int pos) {
  pos--;
  if (CharClass(f, pos) == charcode::kTrail) pos--;
  return pos;
}

int StepRight(const Field& f, int pos) {
  pos++;
  if (CharClass(f, pos) == charcode::kTrail) pos++;
  return pos;
}

// A position on a second byte moves back to its character's start.
int OffTrail(const Field& f, int pos) {
  return CharClass(f, pos) == charcode::kTrail ? pos - 1 : pos;
}

// The first character start k from firstVisible whose boundary (its left
// edge plus half its width, the text starting at margin m) lies at or
// right of x; false when x is right of every boundary.
bool Boundary(const Field& f, int x, int m, int* k) {
  const InputWndData* d = f.d;
  int length = Length(d);
  for (int i = Clamp(d->firstVisible, 0, length); i < length;) {
    int next = StepRight(f, i);
    if (next > length) next = length;
    if (x <= m + Width(f, d->firstVisible, i) + Width(f, i, next) / 2) {
      *k = i;
      return true;
    }
    i = next;
  }
  return false;
}

// Removes count bytes at start, the terminator moving down with the rest.
void Erase(InputWndData* d, int start, int count) {
  int length = Length(d);
  memmove(d->text + start, d->text + start + count,
          static_cast<size_t>(length - start - count) + 1);
}

constexpr Outcome kPaint{true, false};
constexpr Outcome kPaintBell{true, true};
constexpr Outcome kBellOnly{false, true};

}  // namespace

int Length(const InputWndData* d) {
  return static_cast<int>(strnlen(d->text, kMaxText));
}

int Margin(const InputWndData* d) {
  return d->firstVisible == 0 ? kWideMargin : kNarrowMargin;
}

int Width(const Field& f, int from, int to) {
  int length = Length(f.d);
  from = Clamp(from, 0, length);
  to = Clamp(to, 0, length);
  if (to < from) return -Width(f, to, from);
  int x = from > 0 ? f.textWidth(f.context, U(f.d->text), from, 0) : 0;
  return f.textWidth(f.context, U(f.d->text) + from, to - from, x);
}

int TextOriginX(const Field& f) {
  return Margin(f.d) - Width(f, 0, f.d->firstVisible);
}

int CharClass(const Field& f, int pos) {
  return charcode::CharClassAt(U(f.d->text), Length(f.d), pos, f.charCode);
}

int InitText(InputWndData* d, const char* text, int foreignKeys) {
  memset(d, 0, sizeof *d);
  d->foreignKeys = foreignKeys;
  if (!text) return 1;
  size_t n = strnlen(text, kMaxText);
  if (n >= kMaxText) {
    fprintf(stderr, "Error: Input window - Too Long string. Less than %d word.\n", kMaxText);
    return 0;
  }
  memcpy(d->text, text, n + 1);
  return 1;
}

void SetSelectText(InputWndData* d) {
  int length = Length(d);
  int start = Clamp(SelectionStart(d), 0, length);
  int end = Clamp(SelectionStart(d) + abs(d->selectLen), 0, length);
  memcpy(d->selectText, d->text + start, static_cast<size_t>(end - start));
  d->selectText[end - start] = '\0';
}

// The view follows the caret (or the selection's moving end): when the
// target runs off the right edge the view jumps so that one character more
// than needed disappears on the left; left of the view it starts one
// character before the target.
int GetDrawPos(const Field& f) {
  const InputWndData* d = f.d;
  int length = Length(d), w = f.width;
  int t = Clamp(d->caret + d->selectLen, 0, length);
  int first = Clamp(d->firstVisible, 0, length);
  if (Width(f, 0, length) + kWideMargin < w) return 0;
  if (first < t) {
    if (Width(f, first, t) + Margin(d) <= w - 4) return first;
    int v = StepRight(f, first);
    while (v < t && Width(f, v, t) + kNarrowMargin > w - 4) v = StepRight(f, v);
    int start = StepRight(f, v);
    // A field narrower than one character still never starts past its caret.
    return start < t ? start : t;
  }
  if (t < 1) return 0;
  return StepLeft(f, t);
}

void KeepInView(Field& f) {
  f.d->firstVisible = GetDrawPos(f);
}

void DelSelectText(Field& f) {
  InputWndData* d = f.d;
  if (d->selectLen == 0) return;
  int length = Length(d);
  int start = Clamp(SelectionStart(d), 0, length);
  int end = Clamp(SelectionStart(d) + abs(d->selectLen), 0, length);
  Erase(d, start, end - start);
  d->caret = start;
  d->selectLen = 0;
  SetSelectText(d);
  KeepInView(f);
}

int SetText(Field& f, const char* string) {
  InputWndData* d = f.d;
  if (!string) string = "";
  size_t n = strnlen(string, kMaxText);
  if (n >= kMaxText) {
    fprintf(stderr, "Error: Too long string. Less than %d word.\n", kMaxText);
    return -1;
  }
  memmove(d->text, string, n);  // the string may be the field's own text
  d->text[n] = '\0';
  d->caret = d->selectLen = 0;
  SetSelectText(d);
  d->firstVisible = 0;
  return static_cast<int>(n);
}

int SetCaretPos(Field& f, int position) {
  InputWndData* d = f.d;
  int length = Length(d);
  d->caret = position < 0 || position >= length ? length : OffTrail(f, position);
  d->selectLen = 0;
  SetSelectText(d);
  KeepInView(f);
  return 1;
}

int SetSelectRange(Field& f, int start, int end) {
  InputWndData* d = f.d;
  int length = Length(d);
  if (end < 0 || end > length) end = length;
  if (start < 0 || start > end) return 0;
  // Ends inside a two-byte character widen to take it whole.
  start = OffTrail(f, start);
  if (CharClass(f, end) == charcode::kTrail) end++;
  d->caret = start;
  d->selectLen = end - start;
  SetSelectText(d);
  KeepInView(f);
  return 1;
}

// Inserts at the caret in place of the selection when the result fits;
// at the end of the text an over-long string is cut to fill the field to
// 1024 bytes without splitting a two-byte character.
int AddText(Field& f, const char* string, bool* bell) {
  InputWndData* d = f.d;
  *bell = false;
  if (!string) return -1;
  std::string s(string);  // the string may lie inside the field's own buffers
  int n = static_cast<int>(s.size()), length = Length(d);
  if (d->selectLen != 0) {
    bool reachesEnd = d->caret == length || d->caret + d->selectLen == length;
    if (length + n - abs(d->selectLen) <= kMaxText || reachesEnd) DelSelectText(f);
  }
  length = Length(d);
  char out[kMaxText + 1];
  int total = 0;
  if (d->caret + n <= kMaxText) {
    if (length + n > kMaxText) {
      *bell = true;
      return -1;
    }
    memcpy(out, d->text, static_cast<size_t>(d->caret));
    memcpy(out + d->caret, s.data(), static_cast<size_t>(n));
    memcpy(out + d->caret + n, d->text + d->caret, static_cast<size_t>(length - d->caret));
    total = length + n;
    d->caret += n;
  } else {
    if (d->caret != length) {
      *bell = true;
      return -1;
    }
    memcpy(out, d->text, static_cast<size_t>(length));
    memcpy(out + length, s.data(), static_cast<size_t>(kMaxText - length));
    total = d->caret = kMaxText;
    if (charcode::CharClassAt(U(out), kMaxText, kMaxText - 1, f.charCode) == charcode::kLead)
      total = d->caret = kMaxText - 1;
    *bell = true;
  }
  out[total] = '\0';
  memcpy(d->text, out, static_cast<size_t>(total) + 1);
  d->selectLen = 0;
  SetSelectText(d);
  KeepInView(f);
  return total;
}

int Copy(InputWndData* d) {
  free(d->copyText);
  d->copyText = nullptr;
  if (d->selectLen == 0) return 1;
  d->copyText = strdup(d->selectText);
  if (!d->copyText) fprintf(stderr, "Error: Can't allocate memory.\n");
  return d->copyText ? 1 : 0;
}

int CaretX(const Field& f) {
  return Margin(f.d) + Width(f, f.d->firstVisible, f.d->caret);
}

int SelectX(const Field& f) {
  return Margin(f.d) + Width(f, f.d->firstVisible, SelectionStart(f.d));
}

/* ---- keys ------------------------------------------------------------------ */

namespace {

Outcome Left(Field& f, bool shift) {
  InputWndData* d = f.d;
  bool bell = false;
  if (shift) {
    int end = d->caret + d->selectLen;
    bell = end <= 0;
    if (!bell) {
      d->selectLen = StepLeft(f, end) - d->caret;
      KeepInView(f);
    }
  } else {
    // At the start the caret cannot move, but the selection still goes.
    bell = d->caret <= 0;
    if (!bell) d->caret = d->selectLen < 0 ? d->caret + d->selectLen : StepLeft(f, d->caret);
    d->selectLen = 0;
    KeepInView(f);
  }
  SetSelectText(d);
  return bell ? kPaintBell : kPaint;
}

Outcome Right(Field& f, bool shift) {
  InputWndData* d = f.d;
  int length = Length(d);
  bool bell = false;
  if (shift) {
    int end = d->caret + d->selectLen;
    bell = end >= length;
    if (!bell) {
      d->selectLen = StepRight(f, end) - d->caret;
      KeepInView(f);
    }
  } else {
    bell = d->caret >= length;
    if (!bell) d->caret = d->selectLen > 0 ? d->caret + d->selectLen : StepRight(f, d->caret);
    d->selectLen = 0;
    KeepInView(f);
  }
  SetSelectText(d);
  return bell ? kPaintBell : kPaint;
}

Outcome BackSpace(Field& f) {
  InputWndData* d = f.d;
  if (d->selectLen != 0) {
    DelSelectText(f);
    return kPaint;
  }
  if (d->caret <= 0) return kBellOnly;
  int n = d->caret >= 2 && CharClass(f, d->caret - 1) == charcode::kTrail ? 2 : 1;
  Erase(d, d->caret - n, n);
  d->caret -= n;
  KeepInView(f);
  return kPaint;
}

// Delete leaves the view where it is.
Outcome Delete(Field& f) {
  InputWndData* d = f.d;
  if (d->selectLen != 0) {
    DelSelectText(f);
    return kPaint;
  }
  int length = Length(d);
  if (d->caret >= length) return kBellOnly;
  int n = CharClass(f, d->caret) == charcode::kLead ? 2 : 1;
  if (d->caret + n > length) n = length - d->caret;  // a lone first byte at the end
  Erase(d, d->caret, n);
  return kPaint;
}

}  // namespace

Outcome PressKey(Field& f, Key key, bool shift) {
  InputWndData* d = f.d;
  switch (key) {
    case kLeft:
      return Left(f, shift);
    case kRight:
      return Right(f, shift);
    case kHome:
    case kEnd:
      d->caret = key == kHome ? 0 : Length(d);
      d->selectLen = 0;
      SetSelectText(d);
      KeepInView(f);
      return kPaint;
    case kBackSpace:
      return BackSpace(f);
    case kDelete:
      return Delete(f);
  }
  return Outcome{false, false};
}

// Typed text must leave the field below 1024 bytes; the test is made before
// the selection it replaces is deleted.  A NUL byte (Control-@) ends the
// typed string: the text is NUL-terminated and must not lose its tail.
Outcome TypeText(Field& f, const char* s, int n) {
  InputWndData* d = f.d;
  if (!s || n <= 0) return Outcome{false, false};
  n = static_cast<int>(strnlen(s, static_cast<size_t>(n)));
  if (n == 0) return Outcome{false, false};
  int length = Length(d);
  if (length + n >= kMaxText) return kBellOnly;
  DelSelectText(f);
  length = Length(d);
  memmove(d->text + d->caret + n, d->text + d->caret, static_cast<size_t>(length - d->caret) + 1);
  memcpy(d->text + d->caret, s, static_cast<size_t>(n));
  d->caret += n;
  d->selectLen = 0;
  SetSelectText(d);
  KeepInView(f);
  return kPaint;
}

/* ---- mouse ------------------------------------------------------------------ */

int ClickTarget(const Field& f, int x) {
  const InputWndData* d = f.d;
  int length = Length(d), m = Margin(d), k = length;
  if (x >= m + Width(f, d->firstVisible, length)) return length;
  return Boundary(f, x, m, &k) ? k : length;
}

// Words are separated by spaces only: a click on a space selects the run of
// spaces, anywhere else the run of other bytes.
void SelectWord(InputWndData* d) {
  int length = Length(d);
  int c = Clamp(d->caret, 0, length);
  bool blank = c < length && d->text[c] == ' ';
  auto inRun = [&](char ch) { return blank ? ch == ' ' : ch != ' '; };
  int start = c, end = c;
  while (start > 0 && inRun(d->text[start - 1])) start--;
  while (end < length && inRun(d->text[end])) end++;
  d->caret = start;
  d->selectLen = end - start;
}

Outcome PressButton(Field& f, int x, uint32_t time, bool shift, int doubleClickTime) {
  InputWndData* d = f.d;
  d->buttonDown = 1;
  d->shift = shift ? 1 : 0;
  if (static_cast<uint32_t>(time - d->lastPressTime) < static_cast<uint32_t>(doubleClickTime)) {
    SelectWord(d);
    SetSelectText(d);
    KeepInView(f);
    d->lastPressTime = time;
    return kPaint;
  }
  d->lastPressTime = time;
  int target = ClickTarget(f, x);
  if (!shift) {
    d->selectLen = 0;
    d->caret = target;
  } else {
    d->selectLen = target - d->caret;
  }
  SetSelectText(d);
  return kPaint;
}

// Dragging measures against the wide margin's edge even when scrolled, and
// keeping the end in view scrolls the field past either edge.
Outcome DragTo(Field& f, int x) {
  InputWndData* d = f.d;
  int length = Length(d), k = 0;
  if (x < kWideMargin + Width(f, d->firstVisible, length)) {
    if (Boundary(f, x, Margin(d), &k)) d->selectLen = k - d->caret;
  } else {
    d->selectLen = length - d->caret;
  }
  SetSelectText(d);
  KeepInView(f);
  return kPaint;
}

}  // namespace iw
