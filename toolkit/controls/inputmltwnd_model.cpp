// inputmltwnd_model.cpp - the multi-line editor's text model: buffer edits
// that either complete (text and display lines together) or leave both as
// they were, line wrapping, caret and selection cells, and the key and mouse
// rules.  Positions are byte offsets; a two-byte character is never split.
#include "controls/inputmltwnd_model.h"

#include "controls/inputmltwnd_undo.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

namespace mlt {

namespace {

void NoMemory() {
  fprintf(stderr, "Error: Can't allocate memory.\n");
}

void TooLarge() {
  fprintf(stderr, "Error: Too large text. Less than %d kbyes.\n", kMaxTextSize / 1000);
}

char* CopyBytes(const char* bytes, int n) {
  char* copy = static_cast<char*>(Allocate(static_cast<size_t>(n) + 1));
  if (!copy) return nullptr;
  if (n > 0) memcpy(copy, bytes, static_cast<size_t>(n));
  copy[n] = '\0';
  return copy;
}

const unsigned char* U(const char* s) {
  return reinterpret_cast<const unsigned char*>(s);
}

bool IsMultiByteCode(int code) {
  return code == charcode::kEuc || code == charcode::kSjis;
}

// Bytes of the character starting at pos (1 or 2; never past length).
template <class Text>
int CharSize(const Text& text, int length, int pos, int code) {
  if (!IsMultiByteCode(code) || !charcode::IsLeadByte(code, static_cast<unsigned char>(text[pos])))
    return 1;
  return pos + 1 < length ? 2 : 1;
}

// Characters are read as the code setting says: pairs only in EUC-JP and
// Shift_JIS, every byte alone in any other setting.
int GlyphCode(const Metrics& m) {
  return IsMultiByteCode(m.charCode) ? m.charCode : charcode::kAscii;
}

// Width of the character at pos whose left edge lies x pixels into its
// display line: a lead byte without its partner adds nothing, a pair is
// measured as JIS, a tab reaches the next stop.  The text is a line's bytes
// or the whole text read across its gap.
template <class Text>
int CharWidthAt(const Metrics& m, const Text& text, int length, int pos, int x) {
  bool pair = pos + 1 < length;
  const unsigned char bytes[2] = {
      static_cast<unsigned char>(text[pos]),
      pair ? static_cast<unsigned char>(text[pos + 1]) : static_cast<unsigned char>(0)};
  charcode::Glyph g = charcode::GlyphAt(bytes, pair ? 2 : 1, 0, GlyphCode(m));
  return charcode::AdvanceAt(m.meter, g, x);
}

// A growing array of lines built with the model's allocator.
struct LineArray {
  TextLine* slots = nullptr;
  int count = 0;
  int room = 0;

  bool Add(const TextLine& line) {
    if (count >= room) {
      int next = room ? room * 2 : 64;
      void* grown = Reallocate(slots, sizeof(TextLine) * static_cast<size_t>(next));
      if (!grown) return false;
      slots = static_cast<TextLine*>(grown);
      room = next;
    }
    slots[count++] = line;
    return true;
  }
  // Cuts the array to its count (one slot at least); a failed shrink
  // leaves the larger block, which is as good.
  TextLine* Finish() {
    size_t n = static_cast<size_t>(count > 0 ? count : 1);
    void* exact = Reallocate(slots, sizeof(TextLine) * n);
    if (exact) {
      slots = static_cast<TextLine*>(exact);
      room = static_cast<int>(n);
    }
    return slots;
  }
  void Drop() {
    free(slots);
    slots = nullptr;
    count = room = 0;
  }
};

// Widths measured once per walk over a whole text: a character's width
// depends only on its bytes, and a large text repeats the same few
// thousand characters.  Without memory for the table every character is
// measured, as in a short walk.  Being optional, the table is not taken
// from the model's allocator: it is no part of what an edit may fail on.
class WidthMemo {
 public:
  WidthMemo() : widths_(static_cast<int*>(malloc(sizeof(int) * kSlots))) {
    if (widths_)
      for (int i = 0; i < kSlots; i++) widths_[i] = -1;
  }
  ~WidthMemo() { free(widths_); }
  WidthMemo(const WidthMemo&) = delete;
  WidthMemo& operator=(const WidthMemo&) = delete;

  // Tabs are not asked for: their width depends on where they stand.
  template <class Text>
  int Width(const Metrics& m, const Text& text, int length, int pos, int size) {
    if (!widths_) return CharWidthAt(m, text, length, pos, 0);
    unsigned char b = static_cast<unsigned char>(text[pos]);
    int key = size == 2 ? 256 + (b << 8 | static_cast<unsigned char>(text[pos + 1])) : b;
    if (widths_[key] < 0) widths_[key] = CharWidthAt(m, text, length, pos, 0);
    return widths_[key];
  }

 private:
  static constexpr int kSlots = 256 + 65536;  // single bytes, then pairs
  int* widths_;
};

// Texts from this length on are worth the table.
constexpr int kMemoLength = 64 * 1024;

// What the receiver of a walked line answers.
enum Verdict { kGo, kStop, kFail };

// The wrap walk from `from`, which must be a line start: a line ends at a
// newline (hard) or before the character whose width reaches the limit
// (wrapped, width = the limit).  A line always keeps its first character,
// so a window narrower than one character still moves on, one character
// per line.  Each line goes to add() until it answers kStop or the text
// ends; false when add() failed.  The walk's state at a line start is the
// position alone, which is what lets an edit re-wrap only a stretch.
// The text is contiguous bytes, or the whole text read across its gap.
template <class Text, class Add>
bool Walk(const Text& text, int length, int from, int wrap, const Metrics& metrics, Add&& add,
          WidthMemo* memo = nullptr) {
  int start = from, width = 0, pos = from;
  while (pos < length) {
    int size = CharSize(text, length, pos, metrics.charCode);
    bool first = pos == start;
    bool newline = text[pos] == '\n' && size == 1;
    // A newline takes no room; a tab's width depends on where it stands.
    int w = newline                     ? 0
            : memo && text[pos] != '\t' ? memo->Width(metrics, text, length, pos, size)
                                        : CharWidthAt(metrics, text, length, pos, width);
    TextLine line;
    if (newline && (width + w < wrap || first)) {
      line = TextLine{start, pos + 1 - start, width + w, 1};
      start = pos = pos + 1;
    } else if (width + w >= wrap && !first) {
      line = TextLine{start, pos - start, wrap, 0};
      start = pos;  // the character that reached the limit begins the next line
    } else if (width + w >= wrap) {
      line = TextLine{start, size, w, 0};
      start = pos = pos + size;
    } else {
      width += w;
      pos += size;
      continue;
    }
    width = 0;
    Verdict v = add(line);
    if (v != kGo) return v == kStop;
  }
  if (start < length) return add(TextLine{start, length - start, width, 0}) != kFail;
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsSeparator(char c) {
  return IsBlank(c) || c == '\n';
}

int Clamp(int v, int low, int high) {
  return v < low ? low : (v > high ? high : v);
}

int SelectionStart(const InputMltWndData* d) {
  return d->selectLen < 0 ? d->caret + d->selectLen : d->caret;
}

// The caret moved on its own: typing from here on is a new undo step.
void SealUndo(InputMltWndData* d) {
  if (d->undo) undo::Seal(*d->undo);
}

}  // namespace

/* ---- text and lines ------------------------------------------------------ */

char* ConvertCharCode(const char* data, int size, int* outLength) {
  if (outLength) *outLength = 0;
  if (!data || size < 1) return nullptr;
  char* copy = static_cast<char*>(Allocate(static_cast<size_t>(size) + 1));
  if (!copy) {
    NoMemory();
    return nullptr;
  }
  int n = 0;
  for (int i = 0; i < size; i++)
    if (data[i] != '\r') copy[n++] = data[i];
  copy[n] = '\0';
  if (outLength) *outLength = n;
  return copy;
}

namespace {

// The lines of the text, contiguous bytes or read across the gap.
template <class Text>
int BuildLinesOf(const Text& text, int length, int wrap, const Metrics& metrics,
                 TextLine** outList) {
  LineArray array;
  std::unique_ptr<WidthMemo> memo;
  if (length >= kMemoLength) memo.reset(new (std::nothrow) WidthMemo);
  bool done = Walk(
      text, length, 0, wrap, metrics,
      [&](const TextLine& line) { return array.Add(line) ? kGo : kFail; }, memo.get());
  TextLine* list = done ? array.Finish() : nullptr;
  if (!list) {
    array.Drop();
    return -1;
  }
  *outList = list;
  return array.count;
}

}  // namespace

int BuildLines(const char* text, int length, int wrap, const Metrics& metrics, TextLine** outList) {
  return BuildLinesOf(text, length, wrap, metrics, outList);
}

int FreeTextList(TextLine* list) {
  if (!list) return 0;
  free(list);
  return 1;
}

const char* LineText(InputMltWndData* d, int index) {
  if (index < 0 || index >= d->lines) return nullptr;
  TextLine l = Line(d, index);
  return Span(d, l.start, l.length);
}

int GetTextList(Editor& e) {
  InputMltWndData* d = e.d;
  TextLine* list = nullptr;
  int wrap = e.view.width - kWrapMargin;
  // The gap stays where it is: an edit that falls back on a whole rebuild
  // keeps the bytes it removed behind it.
  int n = d->gapStart >= d->length ? BuildLines(d->text, d->length, wrap, e.metrics, &list)
                                   : BuildLinesOf(BytesOf(d), d->length, wrap, e.metrics, &list);
  if (n < 0) {
    NoMemory();
    return -1;
  }
  AdoptLines(d, list, n);
  d->wrapWidth = wrap;
  return n;
}

// Lines before the display line that holds the edit's start, save the one
// just before it, cannot change: a line's wrap depends only on its own
// bytes and the first character after it.  From a line start past the
// inserted bytes on, the new walk repeats the old one shifted by the size
// change, so re-wrapping stops at the first new line start that is an old
// line start too.  The lines after it keep their places and only take the
// size change into their pending shift.
int SpliceLines(Editor& e, int start, int count, int n) {
  InputMltWndData* d = e.d;
  int wrap = e.view.width - kWrapMargin;
  if (!d->lineList || d->lines == 0 || wrap != d->wrapWidth) return GetTextList(e);
  int oldLines = d->lines, delta = n - count, editEnd = start + n;
  int held = LineAtOrBefore(d, start);
  int first = held > 0 ? held - 1 : 0;
  int from = LineStart(d, first);
  int next = first;  // old lines before `next` are replaced
  bool met = false;
  LineArray fresh;
  auto add = [&](const TextLine& line) {
    if (!fresh.Add(line)) return kFail;
    int end = line.start + line.length;
    if (end < editEnd) return kGo;
    int old = end - delta;
    while (next < oldLines && LineStart(d, next) < old) next++;
    met = next < oldLines && LineStart(d, next) == old;
    return met ? kStop : kGo;
  };
  // A large insertion (a paste, replace all, undoing either) is walked
  // like a whole text, with the widths remembered.
  std::unique_ptr<WidthMemo> memo;
  if (n >= kMemoLength) memo.reset(new (std::nothrow) WidthMemo);
  if (!Walk(BytesOf(d), d->length, from, wrap, e.metrics, add, memo.get())) {
    fresh.Drop();
    NoMemory();
    return -1;
  }
  int removed = met ? next - first : oldLines - first;
  if (!LineRoomFor(d, oldLines - removed + fresh.count)) {
    fresh.Drop();
    NoMemory();
    return -1;
  }
  ReplaceLines(d, first, removed, fresh.slots, fresh.count, delta);
  fresh.Drop();
  return d->lines;
}

namespace {

// The text as the editor keeps it: no carriage returns, at least one byte,
// a final newline.  Null when memory ran out; a text over the limit is
// reported and replaced by the empty text.
char* NormalizedText(const char* data, int size, int* outLength) {
  int n = 0;
  char* copy = ConvertCharCode(data, size, &n);
  if (data && size >= 1 && !copy) return nullptr;
  if (LimitedSize(copy, n) > kMaxTextSize) {
    TooLarge();
    n = 0;
  }
  bool addNewline = n == 0 || copy[n - 1] != '\n';
  char* text = static_cast<char*>(Allocate(static_cast<size_t>(n) + (addNewline ? 2 : 1)));
  if (!text) {
    free(copy);
    NoMemory();
    return nullptr;
  }
  if (n > 0) memcpy(text, copy, static_cast<size_t>(n));
  if (addNewline) text[n++] = '\n';
  text[n] = '\0';
  free(copy);
  *outLength = n;
  return text;
}

// Installs a new text with its lines; on failure everything stays.
int InstallText(Editor& e, const char* data, int size) {
  InputMltWndData* d = e.d;
  int n = 0;
  char* text = NormalizedText(data, size, &n);
  if (!text) return 0;
  TextLine* list = nullptr;
  int wrap = e.view.width - kWrapMargin;
  int lines = BuildLines(text, n, wrap, e.metrics, &list);
  if (lines < 0) {
    free(text);
    NoMemory();
    return 0;
  }
  AdoptText(d, text, n);
  AdoptLines(d, list, lines);
  d->wrapWidth = wrap;
  return 1;
}

}  // namespace

int InitText(Editor& e, const char* data, int size) {
  memset(e.d, 0, sizeof *e.d);
  if (!InstallText(e, data, size)) return 0;
  // Without memory for a history the editor works on, without undo.
  try {
    e.d->undo = new undo::History;
  } catch (const std::bad_alloc&) {
    e.d->undo = nullptr;
  }
  return 1;
}

void FreeData(InputMltWndData* d) {
  AdoptText(d, nullptr, 0);
  AdoptLines(d, nullptr, 0);
  free(d->selectText);
  free(d->copyText);
  delete d->undo;
  d->undo = nullptr;
  d->selectText = d->copyText = nullptr;
  d->lines = d->lineRoom = 0;
}

/* ---- positions ------------------------------------------------------------ */

// The class is read from the nearest earlier byte that cannot begin a
// two-byte character: the byte after it always starts a character, so the
// answer equals a walk from the start of the text at a fraction of the cost.
int CharClass(const Editor& e, int pos) {
  const InputMltWndData* d = e.d;
  int code = e.metrics.charCode;
  if (pos < 0 || pos >= d->length || !IsMultiByteCode(code)) return charcode::kNone;
  TextBytes t = BytesOf(d);
  auto lead = [&](int i) { return charcode::IsLeadByte(code, static_cast<unsigned char>(t[i])); };
  int from = pos;
  while (from > 0 && lead(from - 1)) from--;
  while (from < pos) from += lead(from) ? 2 : 1;
  if (from != pos) return charcode::kTrail;
  return lead(pos) ? charcode::kLead : charcode::kSingle;
}

namespace {

// A position inside a two-byte character moves back to the character's
// start, or on past its end: the owner's positions never split one.
int CharStart(const Editor& e, int pos) {
  return CharClass(e, pos) == charcode::kTrail ? pos - 1 : pos;
}
int CharEnd(const Editor& e, int pos) {
  return CharClass(e, pos) == charcode::kTrail ? pos + 1 : pos;
}

}  // namespace

int EndLimit(const InputMltWndData* d) {
  if (d->length > 0 && ByteAt(d, d->length - 1) == '\n') return d->length - 1;
  return d->length;
}

namespace {

// The largest caret position: EndLimit, unless a lone first byte before
// the final newline pairs with it (a text in another code); the caret then
// stops before that character rather than inside it.
int CaretLimit(const Editor& e) {
  return CharStart(e, EndLimit(e.d));
}

// The first line whose end is at least pos, and that line's start; the
// last line (or line 0 of an empty list) when pos lies beyond.
KrnCell FindLine(const InputMltWndData* d, int pos, int* lineStart) {
  if (d->lines == 0) {
    *lineStart = 0;
    return KrnCell{0, pos < 0 ? 0 : pos};
  }
  int low = 0, high = d->lines - 1;  // ends grow with the index: search them
  while (low < high) {
    int mid = low + (high - low) / 2;
    TextLine line = Line(d, mid);
    if (line.start + line.length >= pos)
      high = mid;
    else
      low = mid + 1;
  }
  int start = LineStart(d, low);
  *lineStart = start;
  return KrnCell{low, pos - start < 0 ? 0 : pos - start};
}

}  // namespace

// Cell of a caret position: a position on a line boundary belongs to the
// start of the next line; the very end stays before a final newline.
KrnCell GetCaret(const InputMltWndData* d, int pos) {
  int start = 0;
  KrnCell cell = FindLine(d, pos, &start);
  bool onLine = cell.line >= 0 && cell.line < d->lines;
  if (pos != d->length && onLine && cell.column == Line(d, cell.line).length)
    return KrnCell{cell.line + 1, 0};
  if (pos == d->length && d->length > 0 && ByteAt(d, d->length - 1) == '\n' && cell.column > 0)
    cell.column--;
  return cell;
}

// Cell of a selection end: a wrap boundary stays at the end of the wrapped
// line; the position after a newline is the start of the next line.
KrnCell GetSelectCaret(const InputMltWndData* d, int pos) {
  int start = 0;
  KrnCell cell = FindLine(d, pos, &start);
  if (pos > 0 && pos <= d->length && ByteAt(d, pos - 1) == '\n') return KrnCell{cell.line + 1, 0};
  return cell;
}

int SetSelectText(InputMltWndData* d) {
  int start = Clamp(SelectionStart(d), 0, d->length);
  int end =
      Clamp(SelectionStart(d) + (d->selectLen < 0 ? -d->selectLen : d->selectLen), 0, d->length);
  int n = d->text ? end - start : 0;
  char* copy = static_cast<char*>(Allocate(static_cast<size_t>(n) + 1));
  if (copy) {
    CopyText(d, start, n, copy);
    copy[n] = '\0';
  } else {
    // An old copy must not pass for the new selection: Copy then copies
    // nothing rather than text that is no longer selected.
    if (d->selectText) d->selectText[0] = '\0';
    NoMemory();
    return 0;
  }
  free(d->selectText);
  d->selectText = copy;
  return 1;
}

int LinesOfPage(const View& view) {
  return view.lineHeight > 0 ? view.height / view.lineHeight : 0;
}

// The top line that shows the caret (or the selection end): scrolled just
// far enough, with no empty space below the last line.
int GetDrawPos(const Editor& e) {
  const InputMltWndData* d = e.d;
  int h = e.view.lineHeight, H = e.view.height;
  int target =
      d->selectLen == 0 ? d->caretCell.line : GetSelectCaret(d, d->caret + d->selectLen).line;
  int t = d->topLine;
  if (h > 0) {
    if ((target - t) * h > H - h) {
      while ((target - t) * h > H - h) t++;
    } else {
      while ((target - t) * h < 0) t--;
    }
  }
  int page = LinesOfPage(e.view);
  if (page <= d->lines && t >= d->lines - page) t = d->lines - page;
  if (d->lines <= page) t = 0;
  return t < 0 ? 0 : t;
}

int SpanWidth(const Metrics& m, const char* bytes, int n, int x) {
  return charcode::MeasureFrom(m.meter, U(bytes), n, GlyphCode(m), x);
}

int ColumnX(const Editor& e, int line, int column) {
  if (line < 0 || line >= e.d->lines || column <= 0) return kTextLeft;
  int length = Line(e.d, line).length;
  int n = column < length ? column : length;
  return kTextLeft + SpanWidth(e.metrics, LineText(e.d, line), n, 0);
}

/* ---- edits -------------------------------------------------------------------- */

namespace {

// The replace itself, unrecorded.  The bytes go into the gap at start,
// which costs their own size and the distance from the last edit; the
// removed bytes stay behind the gap until the lines are known to fit, so a
// failure puts them back without memory (and the history reads them there).
int ReplaceBytes(Editor& e, int start, int count, const char* bytes, int n) {
  InputMltWndData* d = e.d;
  if (start < 0 || count < 0 || n < 0 || start + count > d->length) return 0;
  // The text never grows past what a load takes again (its final newline
  // not counted), so that whatever is saved opens again.
  if (n > count && d->length - count + n - 1 > kMaxTextSize) {
    TooLarge();
    return 0;
  }
  if (!PutBytes(d, start, count, bytes, n)) {
    NoMemory();
    return 0;
  }
  if (SpliceLines(e, start, count, n) < 0) {
    TakeBackBytes(d, start, count, n);
    return 0;
  }
  return 1;
}

}  // namespace

int Replace(Editor& e, int start, int count, const char* bytes, int n, int kind) {
  InputMltWndData* d = e.d;
  int caretBefore = d->caret, selectBefore = d->selectLen;
  if (!ReplaceBytes(e, start, count, bytes, n)) return 0;
  if (d->undo) {
    undo::Change c{start,        RemovedBytes(d, count),       count, bytes, n, caretBefore,
                   selectBefore, static_cast<undo::Kind>(kind)};
    if (!undo::Record(*d->undo, c)) NoMemory();
  }
  return 1;
}

int DelSelectText(Editor& e, int kind) {
  InputMltWndData* d = e.d;
  if (d->selectLen == 0) return 1;
  int start = Clamp(SelectionStart(d), 0, d->length);
  int end =
      Clamp(SelectionStart(d) + (d->selectLen < 0 ? -d->selectLen : d->selectLen), 0, d->length);
  if (!Replace(e, start, end - start, nullptr, 0, kind)) return 0;
  d->caret = start;
  d->selectLen = 0;
  SetSelectText(d);
  d->caretCell = GetCaret(d, d->caret);
  d->topLine = GetDrawPos(e);
  return 1;
}

namespace {

// Replaces the selection (or nothing) at the caret by n bytes; the caret
// ends behind them.  0 leaves everything as it was.
int InsertAtCaret(Editor& e, const char* s, int n, int kind) {
  InputMltWndData* d = e.d;
  int start = Clamp(SelectionStart(d), 0, d->length);
  int count = d->selectLen < 0 ? -d->selectLen : d->selectLen;
  if (start + count > d->length) count = d->length - start;
  if (!Replace(e, start, count, s, n, kind)) return 0;
  // A string ending in a lone first byte pairs it with the byte after it:
  // the caret goes behind that character, not into it.
  d->caret = CharEnd(e, start + n);
  d->selectLen = 0;
  SetSelectText(d);
  return 1;
}

// The parts of the two endings that belong to the record.
void FinishMove(Editor& e) {
  InputMltWndData* d = e.d;
  SealUndo(d);
  SetSelectText(d);
  d->caretCell = GetCaret(d, d->caret);
  d->topLine = GetDrawPos(e);
}

void FinishEdit(Editor& e) {
  InputMltWndData* d = e.d;
  d->update = 1;
  d->caretCell = GetCaret(d, d->caret);
  d->topLine = GetDrawPos(e);
}

}  // namespace

int SetText(Editor& e, const char* data, int size) {
  InputMltWndData* d = e.d;
  if (data && LimitedSize(data, size) > kMaxTextSize) {
    TooLarge();
    return -1;
  }
  if (!InstallText(e, data, size)) return -1;
  if (d->undo) undo::Clear(*d->undo, true);
  d->caret = 0;
  d->selectLen = 0;
  d->caretCell = GetCaret(d, 0);
  SetSelectText(d);
  d->topLine = 0;
  d->update = 0;
  return d->length;
}

// Inserts the string in place of the selection, in one edit: a failure
// leaves the selection and the text as they were.
int AddText(Editor& e, const char* string) {
  InputMltWndData* d = e.d;
  if (!string || !*string) return -1;
  int n = static_cast<int>(strlen(string));
  // A string inside the editor's own buffer (its text handed back to it)
  // would move when the buffer grows: insert a copy of it instead.
  bool own = d->text && string >= d->text && string <= d->text + d->capacity;
  char* copy = own ? CopyBytes(string, n) : nullptr;
  if (own && !copy) {
    NoMemory();
    return -1;
  }
  int inserted = InsertAtCaret(e, copy ? copy : string, n, kEditOther);
  free(copy);
  if (!inserted) return -1;
  FinishEdit(e);
  return d->length;
}

int SetCaretPos(Editor& e, int position) {
  InputMltWndData* d = e.d;
  SealUndo(d);
  d->caret = CharStart(e, Clamp(position, 0, CaretLimit(e)));
  d->selectLen = 0;
  d->caretCell = GetCaret(d, d->caret);
  SetSelectText(d);
  d->topLine = GetDrawPos(e);
  return 1;
}

int SetSelectRange(Editor& e, int start, int end) {
  InputMltWndData* d = e.d;
  if (end < 0 || end > d->length) end = d->length - 1;
  if (start < 0 || start > end) return 0;
  start = CharStart(e, start);
  end = CharEnd(e, end);
  SealUndo(d);
  d->caret = start;
  d->selectLen = end - start;
  d->caretCell = GetCaret(d, d->caret);
  SetSelectText(d);
  d->topLine = GetDrawPos(e);
  return 1;
}

int SetPos(Editor& e, int line) {
  InputMltWndData* d = e.d;
  if (line > d->lines - 1) line = d->lines - 1;
  if (line < 0) line = 0;
  return line;
}

/* ---- undo ------------------------------------------------------------------------- */

namespace {

// Puts the step's text back (undo) or again (redo) without recording it.
bool ApplyStep(Editor& e, const undo::Step& s, bool back) {
  const std::string& was = back ? s.inserted : s.removed;
  const std::string& now = back ? s.removed : s.inserted;
  return ReplaceBytes(e, s.pos, static_cast<int>(was.size()), now.data(),
                      static_cast<int>(now.size())) == 1;
}

// Caret, selection, view and modified flag after a step put the n bytes
// at pos in place; *onCaretLine as for Undo.
void AfterStep(Editor& e, int caret, int selectLen, int pos, int n, bool* onCaretLine) {
  InputMltWndData* d = e.d;
  d->caret = Clamp(caret, 0, d->length);
  d->selectLen = Clamp(d->caret + selectLen, 0, d->length) - d->caret;
  d->update = undo::AtSavePoint(*d->undo) ? 0 : 1;
  d->caretCell = GetCaret(d, d->caret);
  SetSelectText(d);
  d->topLine = GetDrawPos(e);
  if (onCaretLine)
    *onCaretLine = d->selectLen == 0 && GetCaret(d, pos).line == d->caretCell.line &&
                   GetCaret(d, pos + n).line == d->caretCell.line;
}

}  // namespace

int Undo(Editor& e, bool* onCaretLine) {
  InputMltWndData* d = e.d;
  const undo::Step* s = d->undo ? undo::NextUndo(*d->undo) : nullptr;
  if (!s || !ApplyStep(e, *s, true)) return 0;
  int caret = s->caretBefore, selectLen = s->selectBefore;
  int pos = s->pos, n = static_cast<int>(s->removed.size());
  undo::Undone(*d->undo);
  AfterStep(e, caret, selectLen, pos, n, onCaretLine);
  return 1;
}

// After a redo the caret stands behind the step's inserted bytes, where
// the edit itself left it.
int Redo(Editor& e, bool* onCaretLine) {
  InputMltWndData* d = e.d;
  const undo::Step* s = d->undo ? undo::NextRedo(*d->undo) : nullptr;
  if (!s || !ApplyStep(e, *s, false)) return 0;
  int pos = s->pos, n = static_cast<int>(s->inserted.size());
  undo::Redone(*d->undo);
  AfterStep(e, CharEnd(e, pos + n), 0, pos, n, onCaretLine);
  return 1;
}

int CanUndo(const InputMltWndData* d) {
  return d->undo && undo::CanUndo(*d->undo) ? 1 : 0;
}

int CanRedo(const InputMltWndData* d) {
  return d->undo && undo::CanRedo(*d->undo) ? 1 : 0;
}

void SetUpdateFlag(InputMltWndData* d, int flag) {
  d->update = flag ? 1 : 0;
  if (d->undo) undo::MarkSaved(*d->undo, !flag);
}

void SetUndoLimit(InputMltWndData* d, size_t bytes) {
  if (d->undo) undo::SetLimit(*d->undo, bytes);
}

size_t UndoBytes(const InputMltWndData* d) {
  return d->undo ? d->undo->bytes : 0;
}

/* ---- search ------------------------------------------------------------------------- */

namespace {

unsigned char Fold(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// The pattern prepared for matching: which of its bytes are single-byte
// characters (only those fold; a second byte of Shift_JIS may look like
// a letter and must match exactly).
struct Pattern {
  const unsigned char* bytes;
  int n;
  bool fold;
  std::vector<bool> folds;

  Pattern(const Editor& e, const char* p, int size, int flags)
      : bytes(U(p)), n(size), fold(!(flags & kFindMatchCase)) {
    if (!fold) return;
    folds.assign(static_cast<size_t>(n), false);
    for (int i = 0; i < n;) {
      int k = CharSize(p, n, i, e.metrics.charCode);
      if (k == 1) folds[static_cast<size_t>(i)] = true;
      i += k;
    }
  }
  bool At(const unsigned char* t) const {
    if (!fold) return memcmp(t, bytes, static_cast<size_t>(n)) == 0;
    for (int i = 0; i < n; i++) {
      bool same = folds[static_cast<size_t>(i)] ? Fold(t[i]) == Fold(bytes[i]) : t[i] == bytes[i];
      if (!same) return false;
    }
    return true;
  }
};

// A match from pos is whole characters of the text.
bool OnBoundaries(const Editor& e, int pos, int n) {
  return CharClass(e, pos) != charcode::kTrail && CharClass(e, pos + n) != charcode::kTrail;
}

int FindForward(const Editor& e, const Pattern& p, int from) {
  const InputMltWndData* d = e.d;
  const unsigned char* t = U(d->text);
  int last = d->length - p.n;
  unsigned char first = p.fold && p.folds[0] ? Fold(p.bytes[0]) : p.bytes[0];
  bool either = p.fold && p.folds[0] && first >= 'a' && first <= 'z';
  for (int pos = from < 0 ? 0 : from; pos <= last; pos++) {
    // memchr skips to the next candidate for the first byte (both cases).
    const void* hit = memchr(t + pos, first, static_cast<size_t>(last - pos + 1));
    int next = hit ? static_cast<int>(static_cast<const unsigned char*>(hit) - t) : last + 1;
    if (either) {
      const void* upper = memchr(t + pos, first - ('a' - 'A'), static_cast<size_t>(next - pos));
      if (upper) next = static_cast<int>(static_cast<const unsigned char*>(upper) - t);
    }
    if (next > last) return -1;
    pos = next;
    if (p.At(t + pos) && OnBoundaries(e, pos, p.n)) return pos;
  }
  return -1;
}

int FindBackward(const Editor& e, const Pattern& p, int from) {
  const InputMltWndData* d = e.d;
  const unsigned char* t = U(d->text);
  int pos = from - 1;
  if (pos > d->length - p.n) pos = d->length - p.n;
  for (; pos >= 0; pos--)
    if (p.At(t + pos) && OnBoundaries(e, pos, p.n)) return pos;
  return -1;
}

}  // namespace

// A search reads the text in one piece: the gap goes to the end first,
// which costs no more than the search itself.
int Find(const Editor& e, const char* pattern, int n, int from, int flags) {
  if (!pattern || n <= 0 || !CloseGap(e.d) || n > e.d->length) return -1;
  Pattern p(e, pattern, n, flags);
  return flags & kFindBackward ? FindBackward(e, p, from) : FindForward(e, p, from);
}

int FindNext(Editor& e, const char* pattern, int n, int flags) {
  InputMltWndData* d = e.d;
  int start = SelectionStart(d), end = start + (d->selectLen < 0 ? -d->selectLen : d->selectLen);
  bool backward = flags & kFindBackward;
  int at = Find(e, pattern, n, backward ? start : end, flags);
  int found = 1;
  if (at < 0) {
    at = Find(e, pattern, n, backward ? d->length : 0, flags);
    found = 2;
  }
  if (at < 0) return 0;
  d->caret = at;
  d->selectLen = n;
  FinishMove(e);
  return found;
}

bool SelectionMatches(const Editor& e, const char* pattern, int n, int flags) {
  const InputMltWndData* d = e.d;
  int start = SelectionStart(d);
  if (!pattern || n <= 0 || (d->selectLen < 0 ? -d->selectLen : d->selectLen) != n) return false;
  return Find(e, pattern, n, start, flags & ~kFindBackward) == start;
}

int ReplaceSelection(Editor& e, const char* with, int n) {
  if (!InsertAtCaret(e, with, n, kEditOther)) return 0;
  FinishEdit(e);
  return 1;
}

// The span from the first match to the end of the last is rebuilt once
// and replaced in one edit: one undo step, one re-wrap, however many
// matches there are.
int ReplaceAll(Editor& e, const char* pattern, int n, const char* with, int n2, int flags) {
  InputMltWndData* d = e.d;
  flags &= ~kFindBackward;
  if (!pattern || n <= 0 || (n2 > 0 && !with)) return 0;
  int first = Find(e, pattern, n, 0, flags);
  if (first < 0) return 0;
  Pattern p(e, pattern, n, flags);
  std::string span;
  int count = 0, copied = first, at = first;
  try {
    for (; at >= 0; at = FindForward(e, p, at + n)) {
      span.append(d->text + copied, static_cast<size_t>(at - copied));
      span.append(with ? with : "", static_cast<size_t>(n2));
      copied = at + n;
      count++;
    }
  } catch (const std::bad_alloc&) {
    NoMemory();
    return -1;
  }
  if (!Replace(e, first, copied - first, span.data(), static_cast<int>(span.size()), kEditOther))
    return -1;
  d->caret = CharEnd(e, first + static_cast<int>(span.size()));
  d->selectLen = 0;
  SetSelectText(d);
  FinishEdit(e);
  return count;
}

/* ---- keys ------------------------------------------------------------------------- */

namespace {

constexpr Outcome kMoved{kEndMove, false, false, false};
constexpr Outcome kMovedBell{kEndMove, true, false, false};
constexpr Outcome kEdited{kEndEdit, false, false, false};
constexpr Outcome kRefused{kEndNone, true, false, false};

// One step left or right from pos, over a whole two-byte character.
int StepLeft(const Editor& e, int pos) {
  pos--;
  if (CharClass(e, pos) == charcode::kTrail) pos--;
  return pos;
}

int StepRight(const Editor& e, int pos) {
  pos++;
  if (CharClass(e, pos) == charcode::kTrail) pos++;
  return pos;
}

// A position moved off a second byte lands behind its character.
int OffTrail(const Editor& e, int pos) {
  return CharClass(e, pos) == charcode::kTrail ? pos + 1 : pos;
}

// The same byte column one line up from pos, or the end of the line above
// when it is shorter and ends with a newline (a shorter wrapped line above
// leaves pos at the start of its own line).
int LineUp(const Editor& e, int pos) {
  const InputMltWndData* d = e.d;
  KrnCell cell = GetCaret(d, pos);
  int above = Line(d, cell.line - 1).length;
  if (cell.column < above) {
    pos -= above;
  } else {
    pos -= cell.column;
    if (pos > 0 && ByteAt(d, pos - 1) == '\n') pos--;
  }
  return OffTrail(e, pos);
}

// The same byte column one line down, or the end of the next line.
int LineDown(const Editor& e, int pos) {
  const InputMltWndData* d = e.d;
  KrnCell cell = GetCaret(d, pos);
  int current = Line(d, cell.line).length, next = Line(d, cell.line + 1).length;
  if (cell.column < next) {
    pos += current;
  } else {
    pos += current - cell.column + next;
    if (pos > 0 && ByteAt(d, pos - 1) == '\n') pos--;
  }
  return OffTrail(e, pos);
}

bool OnFirstLine(const InputMltWndData* d, int pos) {
  return GetCaret(d, pos).line <= 0;
}

bool BeforeLastLine(const InputMltWndData* d, int pos) {
  return GetCaret(d, pos).line < d->lines - 1;
}

Outcome Left(Editor& e, bool shift) {
  InputMltWndData* d = e.d;
  if (shift) {
    if (d->caret + d->selectLen <= 0) return kMovedBell;
    d->selectLen = StepLeft(e, d->caret + d->selectLen) - d->caret;
    return kMoved;
  }
  // At the start the caret cannot move, but the selection still goes.
  bool refused = d->caret <= 0;
  if (!refused) d->caret = d->selectLen < 0 ? d->caret + d->selectLen : StepLeft(e, d->caret);
  d->selectLen = 0;
  return refused ? kMovedBell : kMoved;
}

Outcome Right(Editor& e, bool shift) {
  InputMltWndData* d = e.d;
  int limit = CaretLimit(e);
  if (shift) {
    if (d->caret + d->selectLen >= limit) return kMovedBell;
    d->selectLen = StepRight(e, d->caret + d->selectLen) - d->caret;
    return kMoved;
  }
  bool refused = d->caret >= limit;
  if (!refused) d->caret = d->selectLen > 0 ? d->caret + d->selectLen : StepRight(e, d->caret);
  d->selectLen = 0;
  return refused ? kMovedBell : kMoved;
}

Outcome Up(Editor& e, bool shift) {
  InputMltWndData* d = e.d;
  if (shift) {
    int end = d->caret + d->selectLen;
    if (OnFirstLine(d, end)) return kMovedBell;
    d->selectLen = LineUp(e, end) - d->caret;
    return kMoved;
  }
  if (d->selectLen < 0) d->caret += d->selectLen;
  d->selectLen = 0;
  d->caretCell = GetCaret(d, d->caret);
  if (OnFirstLine(d, d->caret)) return kMovedBell;
  d->caret = LineUp(e, d->caret);
  return kMoved;
}

Outcome Down(Editor& e, bool shift) {
  InputMltWndData* d = e.d;
  int limit = CaretLimit(e);
  if (shift) {
    int end = d->caret + d->selectLen;
    if (!BeforeLastLine(d, end)) {
      d->selectLen = limit - d->caret;
      return kMovedBell;
    }
    d->selectLen = LineDown(e, end) - d->caret;
    return kMoved;
  }
  if (d->selectLen > 0) d->caret += d->selectLen;
  d->selectLen = 0;
  d->caretCell = GetCaret(d, d->caret);
  if (BeforeLastLine(d, d->caret)) {
    d->caret = LineDown(e, d->caret);
    return kMoved;
  }
  if (d->caret < limit) {
    d->caret = limit;
    return kMoved;
  }
  return kMovedBell;
}

Outcome Page(Editor& e, bool down) {
  InputMltWndData* d = e.d;
  int page = LinesOfPage(e.view);
  if (!down) {
    d->topLine -= page;
    if (d->topLine < 0) d->topLine = 0;
  } else {
    d->topLine += page;
    if (d->topLine >= d->lines) d->topLine = page < d->lines ? d->lines - page : 0;
  }
  return Outcome{kEndView, false, false, false};
}

// Removes count bytes at start (a deletion key without a selection).
Outcome Erase(Editor& e, int start, int count, int caretAfter, int kind) {
  if (!Replace(e, start, count, nullptr, 0, kind)) return kRefused;
  e.d->caret = caretAfter;
  return kEdited;
}

Outcome BackSpace(Editor& e) {
  InputMltWndData* d = e.d;
  if (d->selectLen != 0) return DelSelectText(e, kEditBackSpace) ? kEdited : kRefused;
  if (d->caret <= 0) return kRefused;
  int n = CharClass(e, d->caret - 1) == charcode::kTrail && d->caret >= 2 ? 2 : 1;
  return Erase(e, d->caret - n, n, d->caret - n, kEditBackSpace);
}

// Delete never takes the final newline, even when a lone first byte before
// it would pair with it.
Outcome Delete(Editor& e) {
  InputMltWndData* d = e.d;
  if (d->selectLen != 0) return DelSelectText(e, kEditDelete) ? kEdited : kRefused;
  int limit = CaretLimit(e);
  if (d->caret >= limit) return kRefused;
  int n = CharClass(e, d->caret) == charcode::kLead ? 2 : 1;
  if (d->caret + n > limit) n = limit - d->caret;
  return Erase(e, d->caret, n, d->caret, kEditDelete);
}

Outcome Insert(Editor& e, const char* s, int n) {
  return InsertAtCaret(e, s, n, kEditTyping) ? kEdited : kRefused;
}

}  // namespace

Outcome PressKey(Editor& e, Key key, bool shift) {
  Outcome out{kEndNone, false, false, false};
  switch (key) {
    case kLeft:
      out = Left(e, shift);
      break;
    case kRight:
      out = Right(e, shift);
      break;
    case kUp:
      out = Up(e, shift);
      break;
    case kDown:
      out = Down(e, shift);
      break;
    case kHome:
    case kEnd:
      e.d->caret = key == kHome ? 0 : CaretLimit(e);
      e.d->selectLen = 0;
      out = kMoved;
      break;
    case kPrior:
    case kNext:
      return Page(e, key == kNext);
    case kBackSpace:
      out = BackSpace(e);
      break;
    case kDelete:
      out = Delete(e);
      break;
    case kReturn:
      out = Insert(e, "\n", 1);
      break;
  }
  if (out.ending == kEndMove) FinishMove(e);
  if (out.ending == kEndEdit) FinishEdit(e);
  return out;
}

Outcome TypeText(Editor& e, const char* s, int n) {
  if (!s || n <= 0) return Outcome{kEndNone, false, false, false};
  Outcome out = Insert(e, s, n);
  if (out.ending != kEndEdit) return out;
  FinishEdit(e);
  out.wholeRedraw = n >= kLargeTyping;
  return out;
}

/* ---- mouse ------------------------------------------------------------------------- */

int HitOffset(const Editor& e, int line, int x) {
  if (line < 0 || line >= e.d->lines) return 0;
  TextLine l = Line(e.d, line);
  if (x >= l.width + kTextLeft) return l.length;
  const Metrics& m = e.metrics;
  const char* text = LineText(e.d, line);
  for (int k = 0, left = 0; k < l.length;) {
    int size = CharSize(text, l.length, k, m.charCode);
    int w = CharWidthAt(m, text, l.length, k, left);
    if (x <= kTextLeft + left + w / 2) return k;
    left += w;
    k += size;
  }
  return l.length;
}

int ClickByte(const Editor& e, int x, int y) {
  const InputMltWndData* d = e.d;
  int h = e.view.lineHeight > 0 ? e.view.lineHeight : 1;
  int row = (y < 0 ? 0 : y / h) + d->topLine;
  if (row >= d->lines) return CaretLimit(e);
  int offset = HitOffset(e, row, x);
  int byte = LineStart(d, row) + offset;
  // Past a line's newline the caret stays before it; a newline that a lone
  // first byte took as its second byte ends no line and is not stepped back into.
  if (offset > 0 && ByteAt(d, byte - 1) == '\n' && CharClass(e, byte - 1) != charcode::kTrail)
    byte--;
  return Clamp(byte, 0, CaretLimit(e));
}

void SelectWord(Editor& e) {
  InputMltWndData* d = e.d;
  int limit = CaretLimit(e);
  if (d->length == 0) return;
  int c = Clamp(d->caret, 0, d->length - 1);
  if (ByteAt(d, c) == '\n' && c > 0) c--;
  bool blanks = IsBlank(ByteAt(d, c));
  auto inRun = [&](char ch) { return blanks ? IsBlank(ch) : !IsSeparator(ch); };
  // Scan down to the byte before the run.  A caret on a separator that
  // belongs to no run (the newline of an empty line) starts an empty
  // selection just behind it, never in the line above.
  int start = c;
  while (start > 0 && inRun(ByteAt(d, start))) start--;
  if (!inRun(ByteAt(d, start))) start = start + 1 < limit ? start + 1 : limit;
  int end = start;
  while (end < limit && inRun(ByteAt(d, end))) end++;
  // The run is found byte by byte; a lone first byte of another code can
  // pair with a blank at either end, and that character is taken whole.
  start = CharStart(e, start);
  end = CharEnd(e, end);
  d->caret = start;
  d->selectLen = end - start;
}

Outcome PressButton(Editor& e, int x, int y, uint32_t time, bool shift, int doubleClickTime) {
  InputMltWndData* d = e.d;
  d->buttonDown = 1;
  d->shift = shift ? 1 : 0;
  SealUndo(d);
  if (static_cast<uint32_t>(time - d->lastPressTime) < static_cast<uint32_t>(doubleClickTime)) {
    SelectWord(e);
    d->caretCell = GetCaret(d, d->caret);
    SetSelectText(d);
    d->topLine = GetDrawPos(e);
    d->lastPressTime = time;
    return kMoved;
  }
  d->lastPressTime = time;
  int byte = ClickByte(e, x, y);
  bool changed = true;
  if (!shift) {
    changed = byte != d->caret;
    d->selectLen = 0;
    d->caret = byte;
  } else {
    d->selectLen = byte - d->caret;
  }
  d->caretCell = GetCaret(d, d->caret);
  SetSelectText(d);
  // Drawing and the preedit spot follow, the view stays; only a real
  // change is reported.
  return Outcome{kEndMove, false, false, !changed};
}

bool DragTo(Editor& e, int x, int y) {
  InputMltWndData* d = e.d;
  int h = e.view.lineHeight > 0 ? e.view.lineHeight : 1;
  int row = y >= 0 ? y / h + d->topLine : d->topLine + y / h - 1;
  if (row < 0 || row >= d->lines) return false;
  TextLine line = Line(d, row);
  int start = line.start;
  if (x < line.width + kTextLeft) {
    d->selectLen = start + HitOffset(e, row, x) - d->caret;
  } else {
    d->selectLen = start + line.length - d->caret;
    if (d->selectLen == 1) d->selectLen = 0;
  }
  int limit = CaretLimit(e);
  if (d->caret + d->selectLen > limit) d->selectLen = limit - d->caret;
  if (d->caret + d->selectLen < 0) d->selectLen = -d->caret;
  FinishMove(e);
  return true;
}

Outcome Motion(Editor& e, int x, int y, uint32_t time, int interval) {
  InputMltWndData* d = e.d;
  if (static_cast<uint32_t>(time - d->lastMotionTime) < static_cast<uint32_t>(interval))
    return Outcome{kEndNone, false, false, false};
  d->lastMotionTime = time;
  if (!d->buttonDown || !DragTo(e, x, y)) return Outcome{kEndNone, false, false, false};
  return kMoved;
}

void Resized(Editor& e) {
  InputMltWndData* d = e.d;
  GetTextList(e);
  int h = e.view.lineHeight, H = e.view.height;
  int total = d->lines * h;
  if (total <= H) {
    d->topLine = 0;
  } else if (h > 0 && (total - H) / h < d->topLine) {
    d->topLine = (total - H) / h;
  }
  d->caretCell = GetCaret(d, d->caret);
}

}  // namespace mlt
