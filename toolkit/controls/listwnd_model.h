// listwnd_model.h - the list window's items and selection without X: the
// item array, the index fix-ups of adding and deleting, the click rule with
// Shift and Control, double-click detection, the row under the pointer and
// the width of the strips a partial repaint redraws.  The window side is
// listwnd.cpp.
#ifndef KRN_CONTROLS_LISTWND_MODEL_H
#define KRN_CONTROLS_LISTWND_MODEL_H

#include <stddef.h>
#include <stdint.h>

struct KrnImage;

// One row: allocated in one block with its name, so that freeing the
// record (as the object array does) frees the name too.
typedef struct ListItem {
  char* name;      // NUL-terminated copy of the text
  KrnImage* icon;  // the caller's image, or null
  int length;      // bytes of the name
  int width;       // text width in pixels
  int selected;    // 0/1
} ListItem;

// The list window's private record (the window record's option).
typedef struct ListWndData {
  int top;                  // first visible row
  int prevTop;              // top at the last drawing
  int hot;                  // row under the pointer, framed; -1 none
  int prevHot;              // hot at the last drawing
  int anchor;               // last clicked row; -1 none
  int prevAnchor;           // anchor at the last drawing
  int count;                // number of items
  int hasIcons;             // 1 when any item has an icon
  int rowHeight;            // pixels, at least 16
  uint32_t lastClickTime;   // server time of the last button press
  uint32_t lastMotionTime;  // server time of the last handled motion
  void** items;             // object array of ListItem, in row order
  int16_t marginX;          // inner offsets of the rows
  int16_t marginY;
  int shiftDown;  // modifier state used by the click rule
  int controlDown;
  int single;         // 1: single selection
  int selectedCount;  // selected items, as the click rule counts them
  int changedRow;     // row passed to a partial repaint by add/delete; -1 otherwise
  int widestText;     // widest item text, pixels
  int pendingY;       // y of a motion skipped by the throttle; kNoMotion none
} ListWndData;

namespace lw {

constexpr int kMarginX = 2;
constexpr int kMarginY = 1;
constexpr int kIconSpace = 18;  // text offset of a list with icons
constexpr int kMinRowHeight = 16;
constexpr uint32_t kMotionInterval = 24;  // ms between handled motions
constexpr int kNoMotion = -100000;
constexpr int kSelect = 150, kDblClick = 160;  // KRN_SELECT, KRN_DBLCLICK

// Array growth; tests install a failing one, null restores realloc.
void SetResize(void* (*resize)(void* block, size_t size));

// An empty record with its (empty) item array; 0 when memory ran out.
int Init(ListWndData* d, int charHeight);
void FreeItems(ListWndData* d);
ListItem* Item(const ListWndData* d, int index);  // null outside 0..count-1

// A new item (name null = empty); null when memory ran out.
ListItem* NewItem(const char* name, KrnImage* icon, int width);
// Inserts at index (-1 or out of range appends) and fixes anchor, hot row,
// has-icons and widest text; false (nothing changed, item not taken) when
// the array cannot grow.  The row the item went to is stored in *row.
bool AddItem(ListWndData* d, ListItem* item, int index, int* row);
// Removes row index (0..count-1) and fixes anchor, hot row, has-icons and
// the top row for a window of the given height.
void DeleteItem(ListWndData* d, int index, int windowHeight);
// Puts item in place of row index (taking the selection over), frees the
// old one.
void ReplaceItem(ListWndData* d, int index, ListItem* item);
int WidestText(const ListWndData* d);
int HasIcons(const ListWndData* d);
int CountSelected(const ListWndData* d);

// The click rule for a click (code kSelect or kDblClick) on row.
void SetSelect(ListWndData* d, int row, int code);
// A program request: the row ends in state, other rows as a click leaves them.
void SetSelectState(ListWndData* d, int row, int state);
void SetSingle(ListWndData* d, int single);

// Row under window y, or -1 above the first row's margin or past the items.
int RowAt(const ListWndData* d, int y);
// A button press at y: the code to report (kSelect / kDblClick) with the
// row in *row, or 0 for a press outside the rows.
int Press(ListWndData* d, int y, uint32_t time, bool shift, bool control, int doubleClickTime,
          int* row);
// Pointer motion: true when the hot row is to be repainted; a motion inside
// the throttle interval is kept in pendingY for the next timer tick.
bool Motion(ListWndData* d, int y, uint32_t time);
bool PendingMotion(ListWndData* d);

// Keyboard moves of the selection.
enum Move { kLineUp, kLineDown, kPageUp, kPageDown, kFirst, kLast };
// The row a move from the last clicked row reaches (within the rows), or
// -1 for an empty list.  Without a last clicked row every move starts
// before the first row.
int MoveTarget(const ListWndData* d, Move move, int page);
// Selects row alone, makes it the last clicked row and scrolls so that it
// shows on a page of `page` rows.
void SelectAlone(ListWndData* d, int row, int page);

// Rows per page of a window of height h; rows drawn are top..top + n.
int RowsPerPage(const ListWndData* d, int h);
// Width (from the inner left edge) of the strip a partial repaint clears
// for screen row k: -1 for the whole row.
int StripWidth(const ListWndData* d, int k);

}  // namespace lw

#endif
