// inputmltwnd_store.h - how the multi-line editor keeps its text and its
// display lines, so that an edit costs in proportion to its own size and
// to its distance from the edit before, not to the size of the text after
// it.  The text is a gap buffer: the bytes before the gap, free room, the
// bytes after it; an edit moves the gap to its place and fills or widens
// it.  The lines are an array with a gap of free slots where lines were
// last added or removed, and their starts are stored relative to a pending
// shift: every line from `stepLine` on starts `stepDelta` bytes later than
// its stored start says.  An edit moves the step to its own place and adds
// its size change to the shift, instead of rewriting every later start.
#ifndef KRN_CONTROLS_INPUTMLTWND_STORE_H
#define KRN_CONTROLS_INPUTMLTWND_STORE_H

#include <stddef.h>

struct InputMltWndData;
struct TextLine;

namespace mlt {

// Allocation used for everything the model owns (malloc-compatible: the
// line array and the window record free with free()).  Tests install a
// failing one; null restores malloc and realloc.
struct Allocator {
  void* (*alloc)(size_t size);
  void* (*resize)(void* block, size_t size);
};
void SetAllocator(const Allocator* allocator);
void* Allocate(size_t size);
void* Reallocate(void* block, size_t size);

/* ---- the text ------------------------------------------------------------ */

// The text's bytes read across the gap, by their offset in the text.
struct TextBytes {
  const char* before;  // bytes before the gap, at their offsets
  const char* after;   // the buffer shifted by the gap: after[pos] for pos >= gapStart
  int gapStart;
  char operator[](int pos) const { return pos < gapStart ? before[pos] : after[pos]; }
};
TextBytes BytesOf(const InputMltWndData* d);
// The byte at pos (0 <= pos < length).
char ByteAt(const InputMltWndData* d, int pos);
// Copies n bytes from start into out (no terminator).
void CopyText(const InputMltWndData* d, int start, int n, char* out);
// The bytes from start on, n of them contiguous: the gap is moved out of
// the span to its nearer end (only the span's own bytes move, so pointers
// to text outside it stay good).  Null without a buffer.
const char* Span(InputMltWndData* d, int start, int n);
// The whole text as one NUL-terminated buffer: the gap moves to the end.
// Valid until the next edit.
char* CloseGap(InputMltWndData* d);
// Takes an allocated buffer of length bytes and room for a terminator as
// the text (no gap), freeing the old one.
void AdoptText(InputMltWndData* d, char* text, int length);
// Replaces count bytes at start by n bytes: grows the buffer when the gap
// is smaller than n (false, nothing changed, when it cannot), moves the
// gap to start and writes the bytes into it.  The removed bytes stay just
// behind the gap, so TakeBackBytes can restore them.
bool PutBytes(InputMltWndData* d, int start, int count, const char* bytes, int n);
// Undoes the PutBytes(d, start, count, ..., n) made last.
void TakeBackBytes(InputMltWndData* d, int start, int count, int n);
// The count bytes the last PutBytes removed, still at the end of the gap
// (until the next edit).
const char* RemovedBytes(const InputMltWndData* d, int count);

/* ---- the display lines ------------------------------------------------------ */

// Line index (its start the real offset in the text); all zero outside.
TextLine Line(const InputMltWndData* d, int index);
// The start of a display line; 0 before the first, the end of the text
// after the last.
int LineStart(const InputMltWndData* d, int line);
// The last line that starts at or before pos (0 for an empty list).
int LineAtOrBefore(const InputMltWndData* d, int pos);
// Takes an allocated array of n lines (room for at least one) as the
// lines, freeing the old ones.
void AdoptLines(InputMltWndData* d, TextLine* list, int n);
// Room for `total` lines; false (nothing changed) when memory ran out.
bool LineRoomFor(InputMltWndData* d, int total);
// Lines first .. first + removed - 1 give way to `count` fresh lines
// (their starts real offsets), and every later line moves by delta bytes.
// The room must have been made (LineRoomFor).
void ReplaceLines(InputMltWndData* d, int first, int removed, const TextLine* fresh, int count,
                  int delta);

}  // namespace mlt

#endif
