// listwnd.cpp - the list window (kind 90): one column of named rows with
// optional icons, single or multiple selection, a highlight frame that
// follows the pointer, and click and double-click reports through the event
// callback.  Drawing goes into the redraw buffer, whole or row by row; the
// rules live in the X-free listwnd_model.cpp.  Start at WndProc_ListWnd.
#include <stdio.h>
#include <stdlib.h>

#include <X11/keysym.h>
#include <korrin.h>

#include "controls/listwnd_model.h"

namespace {

ListWndData* Data(KrnWindow* window) {
  if (!window || window->windowKind != KRN_KIND_LISTWND) return nullptr;
  return static_cast<ListWndData*>(window->option);
}

/* ---- drawing ---------------------------------------------------------------- */

struct Painter {
  Display* display;
  KrnWindow* window;
  ListWndData* d;
  Pixmap buffer;
  int w, h;
  KrnRect clip;  // the inner rectangle: all row drawing is clipped to it

  int RowY(int row) const { return d->marginY + (row - d->top) * d->rowHeight; }

  void PaintRow(int row) {
    const ListItem* item = lw::Item(d, row);
    if (!item) return;
    int y = RowY(row), x = d->marginX;
    if (item->icon)
      krnDrawImageRRg(display, buffer, clip, x, y + (d->rowHeight - item->icon->height) / 2,
                      item->icon, 0, 0, item->icon->width, item->icon->height);
    if (d->hasIcons) x += lw::kIconSpace;
    const unsigned char* name = reinterpret_cast<const unsigned char*>(item->name);
    if (item->selected)
      krnDrawTextRRg(display, buffer, clip, nullptr, nullptr, window->backFontColor,
                     window->foreFontColor, x, y, name);
    else
      krnDrawTextRRg(display, buffer, clip, nullptr, nullptr, window->foreFontColor,
                     KRN_TRANSPARENT, x, y, name);
    if (row == d->hot) {
      // A row cut off at the bottom keeps its frame inside the rows.
      int bottom = clip.y + clip.height - 1;
      int fh = y + d->rowHeight - 1 <= bottom ? d->rowHeight - 1 : bottom - y;
      krnDraw3DRectangle(display, buffer, krnSetRect(d->marginX, y, w - 2 * d->marginX - 2, fh), 0);
    }
  }

  void Empty() {
    krnClearWindow(display, window, 1);
    krnDraw3DRectangle(display, buffer, krnSetRect(0, 0, w - 1, h - 1), 1);
    krnRedrawWindow(display, window);
  }

  void Full() {
    krnClearWindow(display, window, 1);
    int n = lw::RowsPerPage(d, h);
    for (int row = d->top; row < d->count && row <= d->top + n; row++) PaintRow(row);
    krnDraw3DRectangle(display, buffer, krnSetRect(0, 0, w - 1, h - 1), 1);
    krnRedrawWindow(display, window);
  }

  void Partial() {
    int n = lw::RowsPerPage(d, h), k = 0;
    for (; k <= n && d->top + k < d->count; k++) {
      int width = lw::StripWidth(d, k);
      KrnRect strip = krnSetRect(d->marginX, RowY(d->top + k), width < 0 ? w : width, d->rowHeight);
      KrnRect in = krnGetInRect(strip, clip);
      if (krnIsEmptyRect(in)) continue;
      krnClearRectWindow(display, window, in, 1);
      PaintRow(d->top + k);
      krnRedrawRectWindow(display, window, in);
    }
    int y = RowY(d->top + k), bottom = clip.y + clip.height;
    if (y < bottom) {
      KrnRect rest = krnSetRect(clip.x, y, clip.width, bottom - y);
      krnClearRectWindow(display, window, rest, 1);
      krnRedrawRectWindow(display, window, rest);
    }
  }
};

// Repaints the list: everything (full) or row strips.  Returns 1.
int Draw(Display* display, KrnWindow* window, bool full) {
  ListWndData* d = Data(window);
  if (!d) return 0;
  Painter p{display, window, d, krnGetDraw(window), window->rect.width, window->rect.height, {}};
  int cw = p.w - 2 * d->marginX - 1, ch = p.h - d->marginY - 1;
  p.clip = krnSetRect(d->marginX, d->marginY, cw > 0 ? cw : 0, ch > 0 ? ch : 0);
  if (!d->items || d->top < 0 || d->count < 1 || d->top >= d->count)
    p.Empty();
  else if (full)
    p.Full();
  else
    p.Partial();
  d->prevHot = d->hot;
  d->prevAnchor = d->anchor;
  d->prevTop = d->top;
  return 1;
}

/* ---- events ----------------------------------------------------------------- */

void OnKey(ListWndData* d, XEvent* event) {
  KeySym sym = XLookupKeysym(&event->xkey, 0);
  int down = event->type == KeyPress ? 1 : 0;
  if (sym == XK_Shift_L || sym == XK_Shift_R) d->shiftDown = down;
  if (sym == XK_Control_L || sym == XK_Control_R) d->controlDown = down;
}

// The wheel moves the rows by its lines, keeping the last page full, and
// reports the new top row with KRN_SCROLLED.
int OnWheel(KrnWindow* window, ListWndData* d, int lines, int result) {
  int last = d->count - lw::RowsPerPage(d, window->rect.height);
  int top = d->top + lines;
  if (top > last) top = last;
  if (top < 0) top = 0;
  if (top == d->top) return result;
  krnSetPos_ListWnd(window, top);
  if (!CheckKrnPointer(window)) return result;
  return krnCallEventCallback(window, KRN_SCROLLED, top, 0) == KRN_QUIT ? KRN_QUIT : result;
}

int OnButtonPress(Display* display, KrnWindow* window, XEvent* event, int result) {
  ListWndData* d = Data(window);
  if (int lines = krnGetWheelLines(event)) return OnWheel(window, d, lines, result);
  XKeyEvent state{};
  state.state = event->xbutton.state;
  int row = -1;
  int code = lw::Press(d, event->xbutton.y, static_cast<uint32_t>(event->xbutton.time),
                       krnGetShiftState(state) != 0, krnGetCtrlState(state) != 0,
                       g_korrin.doubleClickTime, &row);
  if (!code) return result;
  Draw(display, window, false);
  int answer = krnCallEventCallback(window, code, row, 0);
  return answer == KRN_QUIT ? KRN_QUIT : code;
}

// Sends a repaint for an add or delete that changed `row`: the rows from
// there on move, and a change of has-icons moves every name.
void RepaintChange(KrnWindow* window, ListWndData* d, int row, int hadIcons) {
  d->changedRow = row;
  krnSendEvent(window, hadIcons == d->hasIcons ? KRN_EV_UPDATE : KRN_EV_REDRAW);
  if (CheckKrnPointer(window)) d->changedRow = -1;
}

}  // namespace

// The list window's procedure: the carried-in result, or the code of a
// click (130 when the callback asked to quit), 1 for the destroy event.
int WndProc_ListWnd(Display* display, KrnWindow* window, XEvent* event) {
  ListWndData* d = Data(window);
  if (!d || !event) return window ? window->result : 0;
  int result = window->result;
  switch (event->type) {
    case KeyPress:
    case KeyRelease:
      OnKey(d, event);
      break;
    case ButtonPress:
      return OnButtonPress(display, window, event, result);
    case MotionNotify:
      if (lw::Motion(d, event->xmotion.y, static_cast<uint32_t>(event->xmotion.time)))
        Draw(display, window, false);
      // the tick after a throttled move finishes it
      krnSetTimerEvent(window, d->pendingY != lw::kNoMotion ? KRN_TIMER_ON : KRN_TIMER_OFF);
      break;
    case KRN_EV_TIMER:
      if (lw::PendingMotion(d)) Draw(display, window, false);
      krnSetTimerEvent(window, KRN_TIMER_OFF);
      break;
    case LeaveNotify:
      d->hot = -1;
      d->pendingY = lw::kNoMotion;
      Draw(display, window, false);
      break;
    case KRN_EV_UPDATE:
      Draw(display, window, false);
      break;
    case MapNotify:
    case ConfigureNotify:
    case KRN_EV_REDRAW:
      Draw(display, window, true);
      break;
    case KRN_EV_DESTROY:
      lw::FreeItems(d);
      return 1;
    default:
      break;
  }
  return result;
}

// Creates an empty list window; null on failure.
KrnWindow* krnCreateWindow_ListWnd(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name) {
  KrnWindow* window = krnCreateWindow(display, parent, rect, 0, name, WndProc_ListWnd);
  if (!window) return nullptr;
  krnSetWindowKind(window, KRN_KIND_LISTWND);
  ListWndData* d = static_cast<ListWndData*>(krnAlloc(sizeof(ListWndData)));
  if (!d || !lw::Init(d, krnGetCharHeight(nullptr))) {
    free(d);
    krnDestroyWindow(display, window);
    return nullptr;
  }
  krnSetOption(window, d);
  krnSetRedrawBuffer(window, 1);
  krnSetDefaultCursor(window, g_korrin.cursors[KRN_CURSOR_FINGER]);
  krnSendEvent(window, KRN_EV_REDRAW);
  return window;
}

// Adds an item at index (-1 appends); 0 (list unchanged) when memory ran out.
int krnAddItem_ListWnd(Display*, KrnWindow* list, const char* name, KrnImage* icon, int index,
                       int redraw) {
  ListWndData* d = Data(list);
  if (!d) return 0;
  ListItem* item = lw::NewItem(
      name, icon, krnTextWidth(reinterpret_cast<const unsigned char*>(name ? name : "")));
  int row = -1, hadIcons = d->hasIcons;
  if (!item || !lw::AddItem(d, item, index, &row)) {
    free(item);
    fprintf(stderr, "Error: Can't allocate memory.\n");
    return 0;
  }
  if (redraw == 1) RepaintChange(list, d, row, hadIcons);
  return 1;
}

// Removes the item at index (negative: the last).
int krnDeleteItem_ListWnd(KrnWindow* list, int index, int redraw) {
  ListWndData* d = Data(list);
  if (!d || !d->items) return 0;
  if (d->count == 0 || index >= d->count) return 1;
  if (index < 0) index = d->count - 1;
  int hadIcons = d->hasIcons;
  lw::DeleteItem(d, index, list->rect.height);
  if (redraw == 1) {
    RepaintChange(list, d, index, hadIcons);
    if (CheckKrnPointer(list)) d->widestText = lw::WidestText(d);
  }
  return 1;
}

// Replaces the name and icon of the item at index.
int krnChangeItem_ListWnd(Display*, KrnWindow* list, const char* name, KrnImage* icon, int index) {
  ListWndData* d = Data(list);
  if (!d || !d->items) return 0;
  if (!lw::Item(d, index)) return 1;
  ListItem* item = lw::NewItem(
      name, icon, krnTextWidth(reinterpret_cast<const unsigned char*>(name ? name : "")));
  if (!item) {
    fprintf(stderr, "Error: Can't allocate memory.\n");
    return 0;
  }
  lw::ReplaceItem(d, index, item);
  krnSendEvent(list, KRN_EV_REDRAW);
  return 1;
}

int krnRedraw_ListWnd(KrnWindow* list) {
  if (!Data(list)) return 0;
  krnSendEvent(list, KRN_EV_REDRAW);
  return 1;
}

int krnGetPos_ListWnd(KrnWindow* list) {
  ListWndData* d = Data(list);
  return d ? d->top : 0;
}

// Shows row position at the top; a position outside the rows changes nothing.
int krnSetPos_ListWnd(KrnWindow* list, int position) {
  ListWndData* d = Data(list);
  if (!d) return 0;
  if (position != d->top && position >= 0 && position < d->count) {
    d->top = position;
    krnSendEvent(list, KRN_EV_UPDATE);
  }
  return 1;
}

// Moves the selection from the keyboard: Up, Down, Prior, Next, Home and
// End select one row alone and scroll it into view.  The new row, or -1
// for another key or an empty list.
int krnKeySelect_ListWnd(KrnWindow* list, KeySym key) {
  ListWndData* d = Data(list);
  if (!d) return -1;
  struct KeyMove {
    KeySym key;
    lw::Move move;
  };
  static const KeyMove kMoves[] = {
      {XK_Up, lw::kLineUp},        {XK_Down, lw::kLineDown},    {XK_Prior, lw::kPageUp},
      {XK_Next, lw::kPageDown},    {XK_Home, lw::kFirst},       {XK_End, lw::kLast},
      {XK_KP_Up, lw::kLineUp},     {XK_KP_Down, lw::kLineDown}, {XK_KP_Prior, lw::kPageUp},
      {XK_KP_Next, lw::kPageDown}, {XK_KP_Home, lw::kFirst},    {XK_KP_End, lw::kLast}};
  int page = lw::RowsPerPage(d, list->rect.height);
  for (const KeyMove& m : kMoves) {
    if (m.key != key) continue;
    int row = lw::MoveTarget(d, m.move, page);
    if (row < 0) return -1;
    lw::SelectAlone(d, row, page);
    krnSendEvent(list, KRN_EV_REDRAW);
    return row;
  }
  return -1;
}

int krnIsSelect_ListWnd(KrnWindow* list, int index) {
  ListWndData* d = Data(list);
  const ListItem* item = d ? lw::Item(d, index) : nullptr;
  return item ? item->selected : 0;
}

int krnGetSelect_ListWnd(KrnWindow* list) {
  ListWndData* d = Data(list);
  return d ? d->anchor : -1;
}

// Selects (state 1) or deselects one row as a click would, the other rows
// following the click rule; 0 for an index outside the rows.
int krnSetSelect_ListWnd(KrnWindow* list, int index, int state) {
  ListWndData* d = Data(list);
  ListItem* item = d ? lw::Item(d, index) : nullptr;
  if (!item) return 0;
  state = state ? 1 : 0;
  if (state != item->selected) {
    lw::SetSelectState(d, index, state);
    krnSendEvent(list, KRN_EV_UPDATE);
  }
  return 1;
}

int krnGetSelectCount_ListWnd(KrnWindow* list) {
  ListWndData* d = Data(list);
  return d ? lw::CountSelected(d) : 0;
}

char* krnGetName_ListWnd(KrnWindow* list, int index) {
  ListWndData* d = Data(list);
  ListItem* item = d ? lw::Item(d, index) : nullptr;
  return item ? item->name : nullptr;
}

int krnGetSize_ListWnd(KrnWindow* list) {
  ListWndData* d = Data(list);
  return d ? d->count : 0;
}

int krnGetRowHeight_ListWnd(KrnWindow* list) {
  ListWndData* d = Data(list);
  return d ? d->rowHeight : 0;
}

// Switches single selection on or off; a change clears the selection.
int krnSetSingle_ListWnd(KrnWindow* list, int single) {
  ListWndData* d = Data(list);
  if (!d) return 0;
  if ((single ? 1 : 0) != d->single) {
    lw::SetSingle(d, single);
    krnSendEvent(list, KRN_EV_REDRAW);
  }
  return 1;
}

int krnSetEventCallback_ListWnd(KrnWindow* list, KrnEventCallback callback) {
  if (!Data(list)) return 0;
  return krnSetEventCallback(list, callback);
}
