// listwnd_model.cpp - the list window's rows and selection rules.  The item
// array keeps the object-array layout (null-terminated, owned items) but
// grows in place: a failed growth leaves the list exactly as it was.
#include "controls/listwnd_model.h"

#include <stdlib.h>
#include <string.h>

namespace lw {

namespace {

void* (*g_resize)(void* block, size_t size) = realloc;

int Max(int a, int b) {
  return a > b ? a : b;
}

int ItemWidth(const ListWndData* d, int index) {
  const ListItem* item = Item(d, index);
  return item ? item->width : d->widestText;
}

// First and last selected rows, -1 when none.
int FirstSelected(const ListWndData* d) {
  for (int i = 0; i < d->count; i++)
    if (Item(d, i)->selected) return i;
  return -1;
}

int LastSelectedBelow(const ListWndData* d, int row) {
  for (int i = d->count - 1; i > row; i--)
    if (Item(d, i)->selected) return i;
  return -1;
}

}  // namespace

void SetResize(void* (*resize)(void* block, size_t size)) {
  g_resize = resize ? resize : realloc;
}

int Init(ListWndData* d, int charHeight) {
  memset(d, 0, sizeof *d);
  d->hot = d->prevHot = d->anchor = d->prevAnchor = d->changedRow = -1;
  d->rowHeight = Max(charHeight, kMinRowHeight);
  d->marginX = kMarginX;
  d->marginY = kMarginY;
  d->pendingY = kNoMotion;
  d->items = static_cast<void**>(g_resize(nullptr, sizeof(void*)));
  if (!d->items) return 0;
  d->items[0] = nullptr;
  return 1;
}

void FreeItems(ListWndData* d) {
  if (d->items)
    for (int i = 0; d->items[i]; i++) free(d->items[i]);
  free(d->items);
  d->items = nullptr;
  d->count = 0;
}

ListItem* Item(const ListWndData* d, int index) {
  if (!d->items || index < 0 || index >= d->count) return nullptr;
  return static_cast<ListItem*>(d->items[index]);
}

ListItem* NewItem(const char* name, KrnImage* icon, int width) {
  if (!name) name = "";
  size_t n = strlen(name);
  ListItem* item = static_cast<ListItem*>(malloc(sizeof(ListItem) + n + 1));
  if (!item) return nullptr;
  item->name = reinterpret_cast<char*>(item + 1);
  memcpy(item->name, name, n + 1);
  item->icon = icon;
  item->length = static_cast<int>(n);
  item->width = width;
  item->selected = 0;
  return item;
}

bool AddItem(ListWndData* d, ListItem* item, int index, int* row) {
  if (!d->items) return false;
  size_t slots = static_cast<size_t>(d->count) + 2;
  void** grown = static_cast<void**>(g_resize(d->items, slots * sizeof(void*)));
  if (!grown) return false;
  d->items = grown;
  bool insert = index >= 0 && index < d->count;
  int pos = insert ? index : d->count;
  memmove(d->items + pos + 1, d->items + pos, static_cast<size_t>(d->count - pos) * sizeof(void*));
  d->items[pos] = item;
  d->items[++d->count] = nullptr;
  if (insert) {
    if (d->anchor >= pos) d->anchor++;
    if (d->hot >= pos) d->hot = -1;
  }
  if (item->icon) d->hasIcons = 1;
  d->widestText = Max(d->widestText, item->width);
  *row = pos;
  return true;
}

void DeleteItem(ListWndData* d, int index, int windowHeight) {
  free(d->items[index]);
  memmove(d->items + index, d->items + index + 1,
          static_cast<size_t>(d->count - index) * sizeof(void*));  // the null moves too
  d->count--;
  // A failed shrink leaves a valid, larger block.
  void** shrunk =
      static_cast<void**>(g_resize(d->items, (static_cast<size_t>(d->count) + 1) * sizeof(void*)));
  if (shrunk) d->items = shrunk;
  if (d->anchor == index)
    d->anchor = -1;
  else if (d->anchor > index)
    d->anchor--;
  if (d->hot >= index) d->hot = -1;
  d->hasIcons = HasIcons(d);
  if ((d->count - d->top) * d->rowHeight < windowHeight && d->top > 0) d->top--;
}

void ReplaceItem(ListWndData* d, int index, ListItem* item) {
  ListItem* old = Item(d, index);
  item->selected = old->selected;
  d->items[index] = item;
  free(old);
  d->hasIcons = HasIcons(d);
  d->widestText = Max(d->widestText, item->width);
}

int WidestText(const ListWndData* d) {
  int widest = 0;
  for (int i = 0; i < d->count; i++) widest = Max(widest, Item(d, i)->width);
  return widest;
}

int HasIcons(const ListWndData* d) {
  for (int i = 0; i < d->count; i++)
    if (Item(d, i)->icon) return 1;
  return 0;
}

int CountSelected(const ListWndData* d) {
  int n = 0;
  for (int i = 0; i < d->count; i++) n += Item(d, i)->selected;
  return n;
}

// Shift selects a run from the first selected row (or the clicked one) and
// clears everything after it; Control toggles one row; a plain click keeps
// only the clicked row, and in multiple mode clicking the only selected row
// clears it.
void SetSelect(ListWndData* d, int row, int code) {
  ListItem* clicked = Item(d, row);
  if (!clicked) return;
  bool shift = !d->single && d->shiftDown, control = !d->single && d->controlDown;
  if (shift) {
    int first = FirstSelected(d);
    int a = first >= 0 && first <= row ? first : row;
    int b = row;
    if (a >= row) {
      int last = LastSelectedBelow(d, row);
      b = last >= 0 ? last : row;
    }
    for (int i = a; i < d->count; i++) Item(d, i)->selected = i <= b ? 1 : 0;
    d->selectedCount = b - a + 1;
  } else if (control) {
    clicked->selected = code == kSelect ? !clicked->selected : 1;
    d->selectedCount = CountSelected(d);
  } else {
    bool only = clicked->selected && CountSelected(d) == 1;
    for (int i = 0; i < d->count; i++)
      if (i != row) Item(d, i)->selected = 0;
    bool clear = only && !d->single && code == kSelect;
    clicked->selected = clear ? 0 : 1;
    d->selectedCount = clear ? 0 : 1;
  }
}

void SetSelectState(ListWndData* d, int row, int state) {
  if (!Item(d, row)) return;
  SetSelect(d, row, kSelect);
  Item(d, row)->selected = state ? 1 : 0;
  d->selectedCount = CountSelected(d);
}

void SetSingle(ListWndData* d, int single) {
  d->single = single ? 1 : 0;
  for (int i = 0; i < d->count; i++) Item(d, i)->selected = 0;
  d->selectedCount = 0;
}

int RowAt(const ListWndData* d, int y) {
  if (y - d->marginY < 0 || d->rowHeight <= 0) return -1;
  int row = (y - d->marginY) / d->rowHeight + d->top;
  return row >= 0 && row < d->count ? row : -1;
}

int Press(ListWndData* d, int y, uint32_t time, bool shift, bool control, int doubleClickTime,
          int* row) {
  int r = RowAt(d, y);
  if (r < 0) {
    d->lastClickTime = time;
    return 0;
  }
  d->shiftDown = shift ? 1 : 0;
  d->controlDown = control ? 1 : 0;
  int code = kSelect;
  if (static_cast<uint32_t>(time - d->lastClickTime) < static_cast<uint32_t>(doubleClickTime) &&
      r == d->anchor) {
    code = kDblClick;
    d->lastClickTime = 0;  // a third press starts over
  } else {
    d->lastClickTime = time;
  }
  d->hot = d->anchor = r;
  SetSelect(d, r, code);
  *row = r;
  return code;
}

bool Motion(ListWndData* d, int y, uint32_t time) {
  if (static_cast<uint32_t>(time - d->lastMotionTime) <= kMotionInterval) {
    d->pendingY = y;
    return false;
  }
  d->lastMotionTime = time;
  d->pendingY = kNoMotion;
  int hot = RowAt(d, y);
  bool changed = hot != d->hot;
  d->hot = hot;
  return changed;
}

// The last motion of a quick move may fall inside the throttle interval:
// the timer tick after it still moves the highlight to where the pointer
// stopped.
bool PendingMotion(ListWndData* d) {
  if (d->pendingY == kNoMotion) return false;
  int hot = RowAt(d, d->pendingY);
  d->pendingY = kNoMotion;
  bool changed = hot != d->hot;
  d->hot = hot;
  return changed;
}

int MoveTarget(const ListWndData* d, Move move, int page) {
  if (d->count <= 0) return -1;
  if (page < 1) page = 1;
  int from = d->anchor;
  int row = from;
  switch (move) {
    case kLineUp:
      row = from < 0 ? 0 : from - 1;
      break;
    case kLineDown:
      row = from + 1;
      break;
    case kPageUp:
      row = from < 0 ? 0 : from - page;
      break;
    case kPageDown:
      row = from < 0 ? page - 1 : from + page;
      break;
    case kFirst:
      row = 0;
      break;
    case kLast:
      row = d->count - 1;
      break;
  }
  if (row < 0) row = 0;
  if (row >= d->count) row = d->count - 1;
  return row;
}

void SelectAlone(ListWndData* d, int row, int page) {
  if (!Item(d, row)) return;
  for (int i = 0; i < d->count; i++) Item(d, i)->selected = i == row ? 1 : 0;
  d->selectedCount = 1;
  d->anchor = row;
  if (page < 1) page = 1;
  if (row < d->top) d->top = row;
  if (row >= d->top + page) d->top = row - page + 1;
}

int RowsPerPage(const ListWndData* d, int h) {
  return d->rowHeight > 0 ? (h - d->marginY - 1) / d->rowHeight : 0;
}

int StripWidth(const ListWndData* d, int k) {
  int row = d->top + k, before = d->prevTop + k;
  if (row == d->hot || row == d->prevHot || before == d->hot || before == d->prevHot) return -1;
  int w = d->changedRow != -1 ? d->widestText : Max(ItemWidth(d, row), ItemWidth(d, before));
  return w + (d->hasIcons ? kIconSpace : 0);
}

}  // namespace lw
