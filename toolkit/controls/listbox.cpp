// listbox.cpp - the list box (kind 80): a list window and a vertical scroll
// bar side by side, kept in step: the scroll bar's step is the list's row
// height and its total the rows' height, so that its position is the list's
// top row.  Nearly every operation forwards to the list window; the list's
// reports reach the box's own event callback.
#include <stdlib.h>

#include "core/korrin_internal.h"

namespace {

// The box's private record.
struct ListBoxData {
  int rowHeight;  // the list window's row height: the scroll bar's step
};

ListBoxData* Data(KrnWindow* box) {
  if (!box || box->windowKind != KRN_KIND_LISTBOX) return nullptr;
  return static_cast<ListBoxData*>(box->option);
}

KrnWindow* Child(KrnWindow* box, int index, int kind) {
  KrnWindow* child = Data(box) ? krnGetChildWindowFromIndex(box, index) : nullptr;
  return child && child->windowKind == kind ? child : nullptr;
}

KrnWindow* ListOf(KrnWindow* box) {
  return Child(box, 0, KRN_KIND_LISTWND);
}

KrnWindow* ScrollOf(KrnWindow* box) {
  return Child(box, 1, KRN_KIND_SCROLLBAR);
}

KrnRect ListRect(int width, int height) {
  int w = width - krnGetHeight_ScrollBar();
  return krnSetRect(0, 0, w > 1 ? w : 1, height);
}

KrnRect ScrollRect(int width, int height) {
  int s = krnGetHeight_ScrollBar();
  return krnSetRect(width - s, 0, s, height);
}

// The scroll bar's total follows the list's size; its position the list's
// top row (deleting rows can move the top up).
void FollowList(KrnWindow* box) {
  KrnWindow *list = ListOf(box), *scroll = ScrollOf(box);
  if (!list || !scroll) return;
  krnSetMax_ScrollBar(scroll, krnGetSize_ListWnd(list) * Data(box)->rowHeight);
  if (krnGetPos_ScrollBar(scroll) != krnGetPos_ListWnd(list))
    krnSetPos_ScrollBar(scroll, krnGetPos_ListWnd(list));
}

// The list window's reports go to the box's owner.
}  // namespace

// The list window's keyboard move, with the scroll bar following.
int krnKeySelect_ListBox(KrnWindow* box, KeySym key) {
  int row = krnKeySelect_ListWnd(ListOf(box), key);
  if (row >= 0) FollowList(box);
  return row;
}

namespace {

int OnListWnd(KrnWindow* list, int code, long row, long) {
  if (code == KRN_SCROLLED) FollowList(krnGetParentWindow(list));
  int answer = krnCallEventCallback(krnGetParentWindow(list), code, row, 0);
  return answer == KRN_QUIT ? KRN_QUIT : 1;
}

// Whatever moved the scroll bar (the user, a program, a resize), the list
// shows the reported row at the top.
int OnVScroll(KrnWindow* scroll, int, long value, long) {
  krnSetPos_ListWnd(ListOf(krnGetParentWindow(scroll)), static_cast<int>(value));
  return 1;
}

}  // namespace

// The box's procedure: it lays its children out on its own resize and
// draws nothing itself.
int WndProc_ListBox(Display*, KrnWindow* box, XEvent* event) {
  if (!Data(box) || !event) return box ? box->result : 0;
  if (event->type == ConfigureNotify && event->xconfigure.window == box->win &&
      event->xany.window == box->win) {
    int w = event->xconfigure.width, h = event->xconfigure.height;
    if (w >= 16 && h >= 16) {
      if (KrnWindow* list = ListOf(box)) krnMoveResizeWindow(list, ListRect(w, h));
      if (KrnWindow* scroll = ScrollOf(box)) krnMoveResizeWindow(scroll, ScrollRect(w, h));
    }
  }
  return box->result;
}

// Creates the box with its list window and scroll bar; null (nothing left
// behind) when any part cannot be made.
KrnWindow* krnCreateWindow_ListBox(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name) {
  KrnWindow* box = krnCreateWindow(display, parent, rect, 0, name, WndProc_ListBox);
  if (!box) return nullptr;
  krnSetWindowKind(box, KRN_KIND_LISTBOX);
  ListBoxData* d = static_cast<ListBoxData*>(krnAlloc(sizeof(ListBoxData)));
  if (!d) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  krnSetOption(box, d);
  krnSetRedrawBuffer(box, 1);
  KrnWindow* list =
      krnCreateWindow_ListWnd(display, box, ListRect(rect.width, rect.height), "_krnList_ListBox");
  if (!list) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  d->rowHeight = krnGetRowHeight_ListWnd(list);
  krnSetEventCallback_ListWnd(list, OnListWnd);
  KrnWindow* scroll =
      krnCreateWindow_VScrollBar(display, box, ScrollRect(rect.width, rect.height),
                                 "_krnScroll_ListBox", 0, 0, d->rowHeight, OnVScroll);
  if (!scroll) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  return box;
}

int krnGetPos_ListBox(KrnWindow* box) {
  return krnGetPos_ListWnd(ListOf(box));
}

// Shows row position at the top and moves the scroll bar with it.
int krnSetPos_ListBox(KrnWindow* box, int position) {
  KrnWindow* list = ListOf(box);
  int result = krnSetPos_ListWnd(list, position);
  if (result == 1 && ScrollOf(box)) krnSetPos_ScrollBar(ScrollOf(box), krnGetPos_ListWnd(list));
  return result;
}

int krnAddItem_ListBox(Display* display, KrnWindow* box, const char* name, KrnImage* icon,
                       int index) {
  int result = krnAddItem_ListWnd(display, ListOf(box), name, icon, index, 1);
  if (CheckKrnPointer(box)) FollowList(box);
  return result;
}

int krnDeleteItem_ListBox(KrnWindow* box, int index) {
  int result = krnDeleteItem_ListWnd(ListOf(box), index, 1);
  if (CheckKrnPointer(box)) FollowList(box);
  return result;
}

int krnChangeItem_ListBox(Display* display, KrnWindow* box, const char* name, KrnImage* icon,
                          int index) {
  return krnChangeItem_ListWnd(display, ListOf(box), name, icon, index);
}

int krnRedraw_ListBox(KrnWindow* box) {
  return krnRedraw_ListWnd(ListOf(box));
}

int krnIsSelect_ListBox(KrnWindow* box, int index) {
  return krnIsSelect_ListWnd(ListOf(box), index);
}

int krnGetSelect_ListBox(KrnWindow* box) {
  KrnWindow* list = ListOf(box);
  return list ? krnGetSelect_ListWnd(list) : 0;
}

int krnSetSelect_ListBox(KrnWindow* box, int index, int state) {
  return krnSetSelect_ListWnd(ListOf(box), index, state);
}

int krnGetSelectCount_ListBox(KrnWindow* box) {
  return krnGetSelectCount_ListWnd(ListOf(box));
}

char* krnGetName_ListBox(KrnWindow* box, int index) {
  return krnGetName_ListWnd(ListOf(box), index);
}

int krnGetSize_ListBox(KrnWindow* box) {
  return krnGetSize_ListWnd(ListOf(box));
}

int krnSetSingle_ListBox(KrnWindow* box, int single) {
  return krnSetSingle_ListWnd(ListOf(box), single);
}

int krnSetEventCallback_ListBox(KrnWindow* box, KrnEventCallback callback) {
  if (!Data(box)) return 0;
  return krnSetEventCallback(box, callback);
}

KrnWindow* krnGetAttachListWnd_ListBox(KrnWindow* box) {
  return ListOf(box);
}
