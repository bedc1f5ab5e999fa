// listbox.cpp - the list box (kind 80): a list window and a vertical scroll
// bar side by side in one child window, kept in step (the bar's total is
// rows x row height and its position, in units of one row, is the list's
// top row).  Every operation forwards to the list window; the list's click
// reports reach the box's own event callback.
#include <korrin.h>

namespace {

const char kListName[] = "_krnList_ListBox";
const char kScrollName[] = "_krnScroll_ListBox";

// The box's private record (the window's option).
struct ListBoxData {
  int rowHeight;  // row height of the list window inside
};

bool IsBox(KrnWindow* box) {
  return box && box->windowKind == KRN_KIND_LISTBOX && box->option;
}

KrnWindow* List(KrnWindow* box) {
  return IsBox(box) ? krnGetChildWindowFromIndex(box, 0) : nullptr;
}

KrnWindow* Scroll(KrnWindow* box) {
  return IsBox(box) ? krnGetChildWindowFromIndex(box, 1) : nullptr;
}

KrnRect ListRect(int w, int h) {
  return krnSetRect(0, 0, w - krnGetHeight_ScrollBar(), h);
}

KrnRect ScrollRect(int w, int h) {
  int s = krnGetHeight_ScrollBar();
  return krnSetRect(w - s, 0, s, h);
}

// Brings the bar's total in line with the number of rows.
void UpdateScroll(KrnWindow* box) {
  KrnWindow* list = List(box);
  int rh = static_cast<ListBoxData*>(box->option)->rowHeight;
  krnSetMax_ScrollBar(Scroll(box), krnGetSize_ListWnd(list) * rh);
}

// The list's click reports go on to the box's owner.
int OnListWnd(KrnWindow* list, int code, long row, long) {
  KrnWindow* box = krnGetParentWindow(list);
  return krnCallEventCallback(box, code, row, 0) == KRN_QUIT ? KRN_QUIT : 1;
}

// Every report of the bar (user move, program set, resize) moves the list.
int OnVScroll(KrnWindow* bar, int, long position, long) {
  KrnWindow* box = krnGetParentWindow(bar);
  krnSetPos_ListWnd(List(box), static_cast<int>(position));
  return 1;
}

}  // namespace

int WndProc_ListBox(Display*, KrnWindow* box, XEvent* event) {
  if (!box || !event) return 0;
  if (IsBox(box) && event->type == ConfigureNotify && event->xconfigure.window == box->win) {
    int w = box->rect.width, h = box->rect.height;
    if (w >= 16 && h >= 16) {
      krnMoveResizeWindow(List(box), ListRect(w, h));
      krnMoveResizeWindow(Scroll(box), ScrollRect(w, h));
    }
  }
  return box->result;
}

// Creates the box with its list window and scroll bar; null (nothing left
// behind) when any part fails.
KrnWindow* krnCreateWindow_ListBox(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name) {
  KrnWindow* box = krnCreateWindow(display, parent, rect, 0, name, WndProc_ListBox);
  if (!box) return nullptr;
  ListBoxData* d = static_cast<ListBoxData*>(krnAlloc(sizeof(ListBoxData)));
  KrnWindow* list = nullptr;
  if (d) {
    krnSetWindowKind(box, KRN_KIND_LISTBOX);
    krnSetOption(box, d);
    krnSetRedrawBuffer(box, 1);
    list = krnCreateWindow_ListWnd(display, box, ListRect(rect.width, rect.height), kListName);
  }
  if (!list) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  d->rowHeight = krnGetRowHeight_ListWnd(list);
  krnSetEventCallback_ListWnd(list, OnListWnd);
  if (!krnCreateWindow_VScrollBar(display, box, ScrollRect(rect.width, rect.height), kScrollName, 0,
                                  0, d->rowHeight, OnVScroll)) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  return box;
}

int krnGetPos_ListBox(KrnWindow* box) {
  return IsBox(box) ? krnGetPos_ListWnd(List(box)) : 0;
}

// Scrolls the list to position and moves the bar with it.
int krnSetPos_ListBox(KrnWindow* box, int position) {
  if (!IsBox(box)) return 0;
  int done = krnSetPos_ListWnd(List(box), position);
  if (done == 1) krnSetPos_ScrollBar(Scroll(box), position);
  return done;
}

int krnAddItem_ListBox(Display* display, KrnWindow* box, const char* name, KrnImage* icon,
                       int index, int redraw) {
  if (!IsBox(box)) return 0;
  int done = krnAddItem_ListWnd(display, List(box), name, icon, index, redraw);
  if (redraw == 1) UpdateScroll(box);
  return done;
}

int krnDeleteItem_ListBox(KrnWindow* box, int index, int redraw) {
  if (!IsBox(box)) return 0;
  int done = krnDeleteItem_ListWnd(List(box), index, redraw);
  if (redraw == 1) UpdateScroll(box);
  return done;
}

int krnChangeItem_ListBox(Display* display, KrnWindow* box, const char* name, KrnImage* icon,
                          int index) {
  return IsBox(box) ? krnChangeItem_ListWnd(display, List(box), name, icon, index) : 0;
}

int krnRedraw_ListBox(KrnWindow* box) {
  return IsBox(box) ? krnRedraw_ListWnd(List(box)) : 0;
}

int krnIsSelect_ListBox(KrnWindow* box, int index) {
  return IsBox(box) ? krnIsSelect_ListWnd(List(box), index) : 0;
}

int krnGetSelect_ListBox(KrnWindow* box) {
  return IsBox(box) ? krnGetSelect_ListWnd(List(box)) : 0;
}

int krnSetSelect_ListBox(KrnWindow* box, int index, int state) {
  return IsBox(box) ? krnSetSelect_ListWnd(List(box), index, state) : 0;
}

int krnGetSelectCount_ListBox(KrnWindow* box) {
  return IsBox(box) ? krnGetSelectCount_ListWnd(List(box)) : 0;
}

char* krnGetName_ListBox(KrnWindow* box, int index) {
  return IsBox(box) ? krnGetName_ListWnd(List(box), index) : nullptr;
}

int krnGetSize_ListBox(KrnWindow* box) {
  return IsBox(box) ? krnGetSize_ListWnd(List(box)) : 0;
}

int krnSetSingle_ListBox(KrnWindow* box, int single) {
  return IsBox(box) ? krnSetSingle_ListWnd(List(box), single) : 0;
}

int krnSetEventCallback_ListBox(KrnWindow* box, KrnEventCallback callback) {
  return IsBox(box) ? krnSetEventCallback(box, callback) : 0;
}

KrnWindow* krnGetAttachListWnd_ListBox(KrnWindow* box) {
  return List(box);
}
