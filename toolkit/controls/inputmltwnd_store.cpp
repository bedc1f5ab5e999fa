// inputmltwnd_store.cpp - the editor's text as a gap buffer and its display
// lines as a gapped array with a pending shift of their starts.  Nothing
// here knows about wrapping or characters: the model decides what changes,
// this keeps it cheap to change.
#include "controls/inputmltwnd_store.h"

#include <stdlib.h>
#include <string.h>

#include "controls/inputmltwnd_model.h"

namespace mlt {

namespace {

Allocator g_allocator = {malloc, realloc};

int Gap(const InputMltWndData* d) {
  return d->capacity - d->length;
}

// Moves the gap so that it begins at pos: only the bytes between the old
// and the new place move.
void MoveGap(InputMltWndData* d, int pos) {
  int gap = Gap(d);
  if (gap > 0 && pos < d->gapStart)
    memmove(d->text + pos + gap, d->text + pos, static_cast<size_t>(d->gapStart - pos));
  else if (gap > 0 && pos > d->gapStart)
    memmove(d->text + d->gapStart, d->text + d->gapStart + gap,
            static_cast<size_t>(pos - d->gapStart));
  d->gapStart = pos;
}

// Slot of line index i: lines after the free slots sit behind them.
int SlotOf(const InputMltWndData* d, int i) {
  return i < d->lineGap ? i : i + (d->lineRoom - d->lines);
}

void Shift(InputMltWndData* d, int from, int to, int delta) {
  for (int i = from; i < to; i++) d->lineList[SlotOf(d, i)].start += delta;
}

// Puts the pending shift's step at line `to`: lines before it then hold
// their real starts, lines from it on their starts less stepDelta.  The
// step walks the lines between its old and its new place, or, when that
// is the longer way, the shift is applied to every line after it instead.
void MoveStep(InputMltWndData* d, int to) {
  if (d->stepDelta == 0) {
    d->stepLine = to;
  } else if (d->stepLine < to) {
    Shift(d, d->stepLine, to, d->stepDelta);
    d->stepLine = to;
  } else if (d->stepLine - to <= d->lines - d->stepLine) {
    Shift(d, to, d->stepLine, -d->stepDelta);
    d->stepLine = to;
  } else {
    Shift(d, d->stepLine, d->lines, d->stepDelta);
    d->stepDelta = 0;
    d->stepLine = to;
  }
}

// Moves the free slots so that they begin at line index `to`.
void MoveSlotGap(InputMltWndData* d, int to) {
  int free = d->lineRoom - d->lines;
  TextLine* list = d->lineList;
  if (free > 0 && to < d->lineGap)
    memmove(list + to + free, list + to, sizeof(TextLine) * static_cast<size_t>(d->lineGap - to));
  else if (free > 0 && to > d->lineGap)
    memmove(list + d->lineGap, list + d->lineGap + free,
            sizeof(TextLine) * static_cast<size_t>(to - d->lineGap));
  d->lineGap = to;
}

}  // namespace

void SetAllocator(const Allocator* allocator) {
  g_allocator = allocator ? *allocator : Allocator{malloc, realloc};
}

void* Allocate(size_t size) {
  return g_allocator.alloc(size ? size : 1);
}

void* Reallocate(void* block, size_t size) {
  return g_allocator.resize(block, size ? size : 1);
}

/* ---- the text ------------------------------------------------------------ */

TextBytes BytesOf(const InputMltWndData* d) {
  return TextBytes{d->text, d->text ? d->text + Gap(d) : nullptr, d->gapStart};
}

char ByteAt(const InputMltWndData* d, int pos) {
  return pos < d->gapStart ? d->text[pos] : d->text[pos + Gap(d)];
}

void CopyText(const InputMltWndData* d, int start, int n, char* out) {
  if (n <= 0) return;
  int before = d->gapStart - start;
  if (before > n) before = n;
  if (before > 0)
    memcpy(out, d->text + start, static_cast<size_t>(before));
  else
    before = 0;
  if (n > before)
    memcpy(out + before, d->text + start + before + Gap(d), static_cast<size_t>(n - before));
}

const char* Span(InputMltWndData* d, int start, int n) {
  if (!d->text) return nullptr;
  if (Gap(d) > 0 && start < d->gapStart && start + n > d->gapStart)
    MoveGap(d, d->gapStart - start <= start + n - d->gapStart ? start : start + n);
  return start < d->gapStart ? d->text + start : d->text + start + Gap(d);
}

char* CloseGap(InputMltWndData* d) {
  if (!d->text) return nullptr;
  MoveGap(d, d->length);
  d->text[d->length] = '\0';
  return d->text;
}

void AdoptText(InputMltWndData* d, char* text, int length) {
  free(d->text);
  d->text = text;
  d->length = d->capacity = d->gapStart = length;
}

bool PutBytes(InputMltWndData* d, int start, int count, const char* bytes, int n) {
  if (!d->text || Gap(d) < n) {
    // Room to spare: a large text must not be moved at every key.
    int need = d->length + n;
    int room = need + need / 64 + 64;
    char* grown = static_cast<char*>(Reallocate(d->text, static_cast<size_t>(room) + 1));
    if (!grown) return false;
    if (!d->text) d->gapStart = d->length = 0;
    int tail = d->length - d->gapStart;
    memmove(grown + room - tail, grown + d->gapStart + Gap(d), static_cast<size_t>(tail));
    d->text = grown;
    d->capacity = room;
  }
  MoveGap(d, start);
  if (n > 0) memcpy(d->text + start, bytes, static_cast<size_t>(n));
  d->gapStart = start + n;
  d->length += n - count;
  return true;
}

void TakeBackBytes(InputMltWndData* d, int start, int count, int n) {
  d->gapStart = start;
  d->length -= n - count;
}

const char* RemovedBytes(const InputMltWndData* d, int count) {
  return d->text + d->gapStart + Gap(d) - count;
}

/* ---- the display lines ------------------------------------------------------ */

TextLine Line(const InputMltWndData* d, int index) {
  if (!d->lineList || index < 0 || index >= d->lines) return TextLine{0, 0, 0, 0};
  TextLine line = d->lineList[SlotOf(d, index)];
  if (index >= d->stepLine) line.start += d->stepDelta;
  return line;
}

int LineStart(const InputMltWndData* d, int line) {
  if (line <= 0 || d->lines == 0) return 0;
  if (line < d->lines) return Line(d, line).start;
  TextLine last = Line(d, d->lines - 1);
  return last.start + last.length;
}

int LineAtOrBefore(const InputMltWndData* d, int pos) {
  int low = 0, high = d->lines - 1;
  while (low < high) {
    int mid = low + (high - low + 1) / 2;
    if (Line(d, mid).start <= pos)
      low = mid;
    else
      high = mid - 1;
  }
  return low < 0 ? 0 : low;
}

void AdoptLines(InputMltWndData* d, TextLine* list, int n) {
  free(d->lineList);
  d->lineList = list;
  d->lines = d->lineGap = d->stepLine = n;
  d->lineRoom = n > 0 ? n : 1;
  d->stepDelta = 0;
}

bool LineRoomFor(InputMltWndData* d, int total) {
  if (total <= d->lineRoom) return true;
  int room = total + total / 8 + 16;
  void* grown = Reallocate(d->lineList, sizeof(TextLine) * static_cast<size_t>(room));
  if (!grown) return false;
  TextLine* list = static_cast<TextLine*>(grown);
  int after = d->lines - d->lineGap;
  memmove(list + room - after, list + d->lineRoom - after,
          sizeof(TextLine) * static_cast<size_t>(after));
  d->lineList = list;
  d->lineRoom = room;
  return true;
}

void ReplaceLines(InputMltWndData* d, int first, int removed, const TextLine* fresh, int count,
                  int delta) {
  int end = first + removed;
  MoveStep(d, end);
  MoveSlotGap(d, end);
  d->lineGap = first;
  d->lines -= removed;
  if (count > 0) memcpy(d->lineList + first, fresh, sizeof(TextLine) * static_cast<size_t>(count));
  d->lineGap += count;
  d->lines += count;
  d->stepLine = first + count;
  d->stepDelta += delta;
}

}  // namespace mlt
