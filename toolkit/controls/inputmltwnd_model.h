// inputmltwnd_model.h - the multi-line editor's text model without X: the
// text buffer and its display lines, wrapping given a width and measuring
// callbacks, caret and selection cells, the selected copy, keeping the caret
// in view, and every key and mouse rule as a function of the record.  The
// window side (inputmltwnd.cpp) turns events into these calls and draws.
#ifndef KRN_CONTROLS_INPUTMLTWND_MODEL_H
#define KRN_CONTROLS_INPUTMLTWND_MODEL_H

#include <stddef.h>
#include <stdint.h>

#include "controls/inputmltwnd_store.h"
#include "support/charcode.h"

namespace undo {
struct History;
}

// One display line: where its bytes lie in the text, not a copy of them, so
// the lines of a large text cost a few bytes each.
typedef struct TextLine {
  int start;   // offset of the line's first byte in the text
  int length;  // bytes, the newline counted
  int width;   // pixels
  int hard;    // 1: ends with a newline; 0: wrapped, or an unterminated last piece
} TextLine;

// A display line and a byte column in it.  Kept as two full integers: a
// 2 MB text easily has more display lines than a 16-bit half could count.
typedef struct KrnCell {
  int line;
  int column;
} KrnCell;

// The editor's private record (the window record's option).
typedef struct InputMltWndData {
  char* text;               // owned gap buffer: room for capacity bytes and a NUL
  char* selectText;         // owned copy of the selected bytes; null until first needed
  char* copyText;           // owned copy buffer of Copy and Cut; null until the first Copy
  TextLine* lineList;       // owned slots of the display lines, in text order
  int lineRoom;             // slots in lineList
  int wrapWidth;            // wrap limit in pixels the lines were built for
  int capacity;             // bytes the buffer holds without the terminator
  int length;               // bytes of text, the final newline included
  int gapStart;             // text offset where the gap of capacity - length bytes begins
  int lines;                // display lines in lineList
  int lineGap;              // index where lineRoom - lines free slots lie
  int stepLine;             // lines from this index on start stepDelta bytes later
  int stepDelta;            // than their stored start says
  int drawnLines;           // lines at the last drawing
  int buttonDown;           // 1 while the primary button pressed here is held
  int topLine;              // display line shown at the top
  int drawnTopLine;         // topLine at the last drawing
  int selectLen;            // signed selection length measured from caret
  int drawnSelectLen;       // selectLen at the last drawing
  KrnCell caretCell;        // cell of caret
  KrnCell drawnCaretCell;   // caretCell at the last drawing
  KrnCell drawnSelectCell;  // selection-end cell at the last drawing (-10, -10: none)
  int caret;                // byte offset of the caret, anchor of the selection
  int drawnCaret;           // caret at the last drawing
  int shift;                // 1 while Shift is held: moves extend the selection
  int foreignKeys;          // 1: key events of other windows are handled too
  int lock;                 // 1: read-only for the keyboard
  int hiDraw;               // 1: view changes are painted by copying the window
  int update;               // modified flag
  uint32_t lastPressTime;   // server time of the last primary-button press
  uint32_t lastMotionTime;  // server time of the last handled pointer motion
  undo::History* undo;      // owned undo history; null when memory ran out
} InputMltWndData;

namespace mlt {

constexpr int kMaxTextSize = 2048000;  // largest text set as a whole, less its final newline
constexpr int kTextLeft = 4;           // text origin in the window
constexpr int kTextTop = 2;
constexpr int kWrapMargin = 9;    // wrap limit = window width - kWrapMargin
constexpr int kNoCell = -10;      // drawnSelectCell when nothing was selected
constexpr int kLargeTyping = 21;  // typed strings this long repaint everything

// The size of a text measured against kMaxTextSize: its final newline, which
// the editor adds when it is missing, is not counted, so that a text saved
// at the limit can be set again.
inline int LimitedSize(const char* data, int size) {
  return size > 0 && data[size - 1] == '\n' ? size - 1 : size;
}

// Kinds of edit for the undo history (the values of undo::Kind).
constexpr int kEditTyping = 0;
constexpr int kEditBackSpace = 1;
constexpr int kEditDelete = 2;
constexpr int kEditOther = 3;

// How text is measured: characters are read by the code setting and
// measured with `meter`, a tab reaching the next stop counted from the left
// edge of its display line (SpanWidth).  Wrapping, caret positions, the hit
// test and the drawing's positions all come from that one measure.
struct Metrics {
  int charCode;  // the CharCode setting (KRN_CODE_*)
  charcode::CharMeter meter;
};

// The editor window's size in pixels and the character height.
struct View {
  int width;
  int height;
  int lineHeight;
};

// Everything a rule needs: the record, the window's size and the metrics.
struct Editor {
  InputMltWndData* d;
  View view;
  Metrics metrics;
};

/* ---- text and lines ---------------------------------------------------- */

// A new NUL-terminated copy of size bytes without carriage returns, its
// length in *outLength; null for null data, size < 1 or no memory.
char* ConvertCharCode(const char* data, int size, int* outLength);

// Builds the display lines of length bytes wrapped at `wrap` pixels into a
// new array of exactly that many lines (at least one slot); returns the
// count, or -1 (nothing allocated) on failure.
int BuildLines(const char* text, int length, int wrap, const Metrics& metrics, TextLine** outList);
int FreeTextList(TextLine* list);
// The bytes of a display line, contiguous (not terminated: the line has
// `length` bytes), valid until the next edit; null outside.  The text's gap
// may move out of the line for it.
const char* LineText(InputMltWndData* d, int index);

// Rebuilds all of d's lines for its text; -1 leaves the old list and count.
int GetTextList(Editor& e);
// Brings d's lines up to date after count bytes at start were replaced by
// n bytes (text and length already changed, the lines still those of the
// old text): re-wraps from the display line before the edit up to where
// the new wrapping meets the old again, and shifts the lines after.  The
// result equals GetTextList's.  -1 (lines unchanged) when memory ran out.
int SpliceLines(Editor& e, int start, int count, int n);

// Makes a record for text (carriage returns dropped, a final newline added;
// an empty or too large text becomes one newline).  1, or 0 when memory ran
// out (the record is then left empty, with nothing allocated).
int InitText(Editor& e, const char* data, int size);
// Frees everything the record owns (not the record).
void FreeData(InputMltWndData* d);

/* ---- positions ---------------------------------------------------------- */

// Position class (KRN_CHAR_*) of the byte at pos under the code setting.
int CharClass(const Editor& e, int pos);
// Largest caret position: before the final newline, or the end of a text
// that has none.
int EndLimit(const InputMltWndData* d);
KrnCell GetCaret(const InputMltWndData* d, int pos);
KrnCell GetSelectCaret(const InputMltWndData* d, int pos);
int SetSelectText(InputMltWndData* d);
int GetDrawPos(const Editor& e);
int LinesOfPage(const View& view);
// Width of n bytes of a display line whose first byte lies x pixels right of
// the line's left edge (tabs reach their stops, a newline is its glyph).
int SpanWidth(const Metrics& m, const char* bytes, int n, int x);
// x of byte column `column` of a line (text origin included).
int ColumnX(const Editor& e, int line, int column);

/* ---- edits ---------------------------------------------------------------- */

// Replaces count bytes at start by n bytes, growing the buffer as needed,
// and re-wraps the lines it touches.  All or nothing: 0 leaves text and lines as they
// were.  Caret and selection are the caller's.  Every change of the text
// passes here and is recorded in the undo history as an edit of `kind`
// (typing, BackSpace and Delete runs merge into one step).
int Replace(Editor& e, int start, int count, const char* bytes, int n, int kind = kEditOther);
// 1, or 0 (nothing changed) on failure; `kind` as for Replace.
int DelSelectText(Editor& e, int kind = kEditOther);
int SetText(Editor& e, const char* data, int size);  // new length or -1
int AddText(Editor& e, const char* string);          // new length or -1
int SetCaretPos(Editor& e, int position);
int SetSelectRange(Editor& e, int start, int end);  // 1, or 0 for a bad range
int SetPos(Editor& e, int line);                    // the new top line

/* ---- undo ------------------------------------------------------------------ */

// Undoes or redoes one step through Replace: text, caret and selection as
// they were before (undo) or after (redo) it, the modified flag cleared
// exactly at the save point.  1, or 0 when there is nothing to do or memory
// ran out (nothing changed).
// *onCaretLine (when given) tells whether the change lies within the
// caret's display line, so that repainting the changed lines suffices.
int Undo(Editor& e, bool* onCaretLine = nullptr);
int Redo(Editor& e, bool* onCaretLine = nullptr);
int CanUndo(const InputMltWndData* d);
int CanRedo(const InputMltWndData* d);
// The owner saved the text (flag 0) or declared it modified (flag 1).
void SetUpdateFlag(InputMltWndData* d, int flag);
// The history's memory cap in bytes (the UndoSize setting).
void SetUndoLimit(InputMltWndData* d, size_t bytes);
// Bytes the history holds (steps and their deltas).
size_t UndoBytes(const InputMltWndData* d);

/* ---- search ------------------------------------------------------------------ */

// Search flags: backwards, and ASCII letters told apart by case.
constexpr int kFindBackward = 1;
constexpr int kFindMatchCase = 2;

// Start of the first match of the n pattern bytes at or after `from`
// (backwards: the last match starting before `from`), or -1.  A match never
// starts or ends inside a two-byte character; without kFindMatchCase ASCII
// letters match either case, two-byte characters always match exactly.
int Find(const Editor& e, const char* pattern, int n, int from, int flags);
// Finds from the selection (forwards from its end, backwards from its
// start), wrapping around the text once; selects the match and keeps it in
// view.  0 not found, 1 found, 2 found after wrapping.
int FindNext(Editor& e, const char* pattern, int n, int flags);
// True when the selection is exactly a match of the pattern.
bool SelectionMatches(const Editor& e, const char* pattern, int n, int flags);
// Replaces the selection by n bytes (a step of its own); 1, or 0 when
// memory ran out (nothing changed).
int ReplaceSelection(Editor& e, const char* with, int n);
// Replaces every match with the n2 bytes of `with` as one undo step; the
// count replaced, or -1 when memory ran out (nothing changed).
int ReplaceAll(Editor& e, const char* pattern, int n, const char* with, int n2, int flags);

/* ---- keys ------------------------------------------------------------------ */

enum Key { kLeft, kRight, kUp, kDown, kHome, kEnd, kPrior, kNext, kBackSpace, kDelete, kReturn };

// What a key or mouse action asks the window to do afterwards.
enum Ending {
  kEndNone,  // nothing (no drawing, no callback)
  kEndMove,  // move ending: draw changed lines, preedit, KRN_CARET_MOVED
  kEndEdit,  // edit ending: draw changed lines, preedit, KRN_EDITED
  kEndView   // page keys: draw when the top line moved, preedit, KRN_CARET_MOVED
};
struct Outcome {
  Ending ending;
  bool bell;
  bool wholeRedraw;  // typed text long enough to repaint everything
  bool quiet;        // no callback (a click that left the caret where it was)
};

Outcome PressKey(Editor& e, Key key, bool shift);
Outcome TypeText(Editor& e, const char* s, int n);

/* ---- mouse ------------------------------------------------------------------ */

// Offset in the line of a click at window x (0 .. line length).
int HitOffset(const Editor& e, int line, int x);
// Byte a primary-button click at (x, y) maps to.
int ClickByte(const Editor& e, int x, int y);
// Word or blank run around the caret (double click).
void SelectWord(Editor& e);
// A primary-button press at (x, y) at server time `time`; a press sooner
// than doubleClickTime after the last one selects a word.
Outcome PressButton(Editor& e, int x, int y, uint32_t time, bool shift, int doubleClickTime);
// Drag to (x, y): false when the row is outside the lines.
bool DragTo(Editor& e, int x, int y);
// Pointer motion at server time `time`, handled at most once per interval.
Outcome Motion(Editor& e, int x, int y, uint32_t time, int interval);
// New width or height: rewrap and clamp the top line.
void Resized(Editor& e);

}  // namespace mlt

#endif
