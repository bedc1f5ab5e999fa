// menu.cpp - the popup menu (kind 50): a hidden one-column child window
// that opens under a menu-bar caption, as a window's context menu or beside
// a row of another menu.  It is a custom window, so its procedure sees every
// event dispatched through its parent's tree: while the button that opened
// it is held it follows the pointer from the events of the menu bar or the
// context window.  Start at WndProc_Menu; the arithmetic is in menu_model.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <unordered_set>
#include <vector>

#include "controls/menu.h"
#include "controls/menu_model.h"
#include "core/korrin_internal.h"

namespace {

namespace mm = menumodel;

int AttachWhole(Display* display, KrnWindow* menu, int x, int y, int flipX, int flipY);

MenuData* Data(KrnWindow* menu) {
  if (!menu || menu->windowKind != KRN_KIND_MENU) return nullptr;
  return static_cast<MenuData*>(menu->option);
}

MenuItem* Item(MenuData* d, int index) {
  if (!d->items || index < 0 || index >= d->count) return nullptr;
  return static_cast<MenuItem*>(d->items[index]);
}

int RowHeight() {
  return mm::RowHeight(krnGetCharHeight(nullptr));
}

int CaptionWidth(const char* caption) {
  return krnTextWidth(reinterpret_cast<const unsigned char*>(caption));
}

// A new item with its own copy of the caption in the same block; null (and
// a message) when memory ran out.
MenuItem* NewItem(const char* caption, KrnEventCallback callback, KrnImage* icon, KrnWindow* link) {
  if (!caption) caption = "";
  size_t n = strlen(caption) + 1;
  MenuItem* item = static_cast<MenuItem*>(malloc(sizeof(MenuItem) + n));
  if (!item) return nullptr;
  item->caption = reinterpret_cast<char*>(item + 1);
  memcpy(item->caption, caption, n);
  item->callback = callback;
  item->link = link;
  item->icon = icon;
  item->checked = 0;
  return item;
}

// The size the rows need.
mm::Size MenuSize(MenuData* d) {
  std::vector<mm::Row> rows;
  for (int i = 0; i < d->count; i++) {
    MenuItem* it = Item(d, i);
    if (it)
      rows.push_back(mm::Row{CaptionWidth(it->caption), it->link != nullptr, it->icon != nullptr});
  }
  return mm::MenuSize(rows, RowHeight());
}

// Fits the X window to the rows; the record follows with the ConfigureNotify.
// The request is made even when the record shows that size already: the
// record lags behind requests the server has not answered yet.
void ResizeMenu(KrnWindow* menu, MenuData* d) {
  mm::Size size = MenuSize(d);
  XMoveResizeWindow(g_korrin.display, menu->win, menu->rect.x, menu->rect.y, size.width,
                    size.height);
}

bool AnyIcon(MenuData* d) {
  for (int i = 0; i < d->count; i++)
    if (Item(d, i)->icon) return true;
  return false;
}

// A 16 x 16 corner of an image centred in the row.
void DrawRowImage(Display* display, Pixmap buffer, KrnImage* image, int x, int row, int h) {
  if (!image) return;
  int w = image->width < mm::kImageSide ? image->width : mm::kImageSide;
  int ih = image->height < mm::kImageSide ? image->height : mm::kImageSide;
  krnDrawImage(display, buffer, x, mm::ImageY(row, h, image->height), image, 0, 0, w, ih);
}

// Paints every row into the buffer, the row index highlighted, and shows
// it; skipped when index is already the highlighted row and force is 0.
void Draw(Display* display, KrnWindow* menu, int index, int force) {
  MenuData* d = Data(menu);
  if (!d->items || (!force && index == d->currentItem)) return;
  krnClearWindow(display, menu, 1);
  Pixmap buffer = krnGetDraw(menu);
  int h = RowHeight(), width = menu->rect.width;
  int textX = mm::CaptionX(AnyIcon(d));
  for (int i = 0; i < d->count; i++) {
    MenuItem* it = Item(d, i);
    if (!it->caption[0]) {
      mm::Box line = mm::SeparatorLine(i, h, width);
      krnDraw3DRectangle(display, buffer, krnSetRect(line.x, line.y, line.width, line.height), 0);
      continue;
    }
    DrawRowImage(display, buffer, it->icon, mm::kMargin, i, h);
    if (it->link)
      DrawRowImage(display, buffer, g_korrin.images[KRN_IMG_LINK], width - mm::kColumn, i, h);
    const unsigned char* text = reinterpret_cast<const unsigned char*>(it->caption);
    if (i == index)
      krnDrawText(display, buffer, g_korrin.font, g_korrin.fontKanji, menu->backFontColor,
                  menu->foreFontColor, textX, mm::RowTop(i, h), text);
    else
      krnDrawText(display, buffer, g_korrin.font, g_korrin.fontKanji, menu->foreFontColor,
                  KRN_TRANSPARENT, textX, mm::RowTop(i, h), text);
  }
  krnRedrawWindow(display, menu);
}

/* ---- menus among the registered windows -------------------------------------- */

KrnWindow* GetMenuBar(Window xwindow) {
  KrnWindow* w = krnGetWindowFromXWindow(xwindow);
  return w && w->windowKind == KRN_KIND_MENUBAR ? w : nullptr;
}

KrnWindow* GetAttachContextMenu(Window xwindow) {
  KrnWindow* w = krnGetWindowFromXWindow(xwindow);
  return w && w->contextMenu ? w : nullptr;
}

KrnWindow* GetMenuWindow(Window xwindow) {
  KrnWindow* w = krnGetWindowFromXWindow(xwindow);
  return w && w->windowKind == KRN_KIND_MENU ? w : nullptr;
}

long g_walkSteps = 0;

enum Step { kDescend, kSkip, kStop };

// Visits start and every menu reachable from it through the rows' links,
// depth first in row order, each menu once however the links run: they may
// form cycles (a menu naming itself or an ancestor as its sub-menu) or reach
// one menu along many paths, and a walk stays linear in the menus either
// way.  enter(menu) answers whether to go on below it, skip its links or end
// the walk.  True when the walk was ended by enter.
template <typename Enter>
bool Walk(KrnWindow* start, Enter enter) {
  std::unordered_set<KrnWindow*> seen;
  std::vector<KrnWindow*> pending{start};
  while (!pending.empty()) {
    KrnWindow* menu = pending.back();
    pending.pop_back();
    MenuData* d = Data(menu);
    if (!d || !d->items || !seen.insert(menu).second) continue;
    g_walkSteps++;
    Step step = enter(menu);
    if (step == kStop) return true;
    if (step == kSkip) continue;
    for (int i = d->count - 1; i >= 0; i--)
      if (Item(d, i)->link) pending.push_back(Item(d, i)->link);
  }
  return false;
}

// 1 when target is menu or hangs off it through a chain of shown sub-menus.
int IsRunMenu(KrnWindow* menu, KrnWindow* target) {
  return Walk(menu, [target](KrnWindow* m) {
    if (!m->shown) return kSkip;
    return m == target ? kStop : kDescend;
  });
}

// Has window and its descendants repaint the area (in window's
// coordinates) that a closed menu covered.  The server exposes what an
// unmapped window uncovers, but a server that restored the area from a
// backing store of its own may leave the menu's frame behind; a cleared
// area with exposures is repainted by every window's ordinary Expose
// handling, from its buffer or by drawing anew.
void ExposeArea(Display* display, KrnWindow* window, KrnWindow* menu, int x, int y, int width,
                int height) {
  const KrnRect& r = window->rect;
  if (x >= r.width || y >= r.height || x + width <= 0 || y + height <= 0) return;
  XClearArea(display, window->win, x, y, width, height, True);
  for (KrnWindow** c = window->children; c && *c; c++)
    if (*c != menu)
      ExposeArea(display, *c, menu, x - (*c)->rect.x, y - (*c)->rect.y, width, height);
}

// Hides a shown menu and has what it covered, its frame included, painted
// again (with a pixel to spare for the borders of the windows below).
void Hide(Display* display, KrnWindow* menu) {
  XUnmapWindow(display, menu->win);
  menu->shown = 0;
  if (menu->parent)
    ExposeArea(display, menu->parent, menu, menu->rect.x - 2, menu->rect.y - 2,
               menu->rect.width + 4, menu->rect.height + 4);
}

// Hides the menu and every menu reachable from it, shown or not.
int DetachFrom(Display* display, KrnWindow* menu) {
  MenuData* d = Data(menu);
  if (!d || !d->items) return 0;
  Walk(menu, [display](KrnWindow* m) {
    if (m->shown == 1) Hide(display, m);
    return kDescend;
  });
  return 1;
}

// Closes every menu of the session: those of the menu bars, the context
// menus, and any other menu that is open (one shown by its owner directly).
int DetachAllMenu(Display* display) {
  int n = krnGetTotalWindows();
  for (int i = 0; i < n; i++) {
    KrnWindow* w = krnGetWindowFromIndex(i);
    if (!w) continue;
    if (w->windowKind == KRN_KIND_MENUBAR) {
      krnDetach_Menu(display, krnGetMenuItem_MenuBar(w, 0));
      krnDetach_Menu(display, krnGetMenuItem_MenuBar(w, 1));
    }
    if (w->contextMenu) krnDetach_Menu(display, w->contextMenu);
    if (w->windowKind == KRN_KIND_MENU && w->shown) krnDetach_Menu(display, w);
  }
  return 0;
}

// Drops every reference to a menu that is going away: links of other
// menus, context menus and the menu bars' menus, so none is left dangling.
void UnlinkMenuWindow(KrnWindow* menu) {
  int n = krnGetTotalWindows();
  for (int i = 0; i < n; i++) {
    KrnWindow* w = krnGetWindowFromIndex(i);
    if (!w) continue;
    MenuData* d = Data(w);
    for (int k = 0; d && d->items && k < d->count; k++)
      if (Item(d, k)->link == menu) Item(d, k)->link = nullptr;
    if (w->contextMenu == menu) w->contextMenu = nullptr;
    for (int which = 0; which < 2 && w->windowKind == KRN_KIND_MENUBAR; which++)
      if (krnGetMenuItem_MenuBar(w, which) == menu) krnSetMenuItem_MenuBar(w, nullptr, which);
  }
}

// A point relative to window, in the coordinates of the menu's parent.
XPoint GetContextPoint(KrnWindow* menu, KrnWindow* window, int x, int y) {
  while (window && window != menu->parent) {
    x += window->rect.x;
    y += window->rect.y;
    window = window->parent;
  }
  XPoint p;
  p.x = static_cast<short>(x);
  p.y = static_cast<short>(y);
  return p;
}

/* ---- the window procedure ------------------------------------------------------ */

enum Source { kOwn, kBar, kContext };

// Where an event of another window comes from, as far as this menu is
// concerned; false when it is none of its business (a press there closes
// the menu unless it went to another menu).
bool Classify(Display* display, KrnWindow* menu, XEvent* event, Source* source,
              KrnWindow** context) {
  Window xw = event->xany.window;
  bool press = event->type == ButtonPress;
  if (KrnWindow* bar = GetMenuBar(xw)) {
    if (IsRunMenu(krnGetMenuItem_MenuBar(bar, 0), menu) +
        IsRunMenu(krnGetMenuItem_MenuBar(bar, 1), menu)) {
      *source = kBar;
      return true;
    }
  } else if (KrnWindow* owner = GetAttachContextMenu(xw)) {
    if (owner->contextMenu == menu || IsRunMenu(owner->contextMenu, menu) == 1) {
      *source = kContext;
      *context = owner;
      return true;
    }
  } else if (GetMenuWindow(xw)) {
    return false;
  }
  if (press) krnDetach_Menu(display, menu);
  return false;
}

// The event's pointer position in the menu's own coordinates.
XPoint MenuPoint(KrnWindow* menu, Source source, KrnWindow* context, int x, int y) {
  if (source == kContext) {
    XPoint p = GetContextPoint(menu, context, x, y);
    x = p.x;
    y = p.y;
  }
  if (source != kOwn) {
    x -= menu->rect.x;
    y -= menu->rect.y;
  }
  XPoint p;
  p.x = static_cast<short>(x);
  p.y = static_cast<short>(y);
  return p;
}

void OnContextPress(Display* display, KrnWindow* menu, KrnWindow* context, XEvent* event) {
  if (menu->shown) {
    krnDetach_Menu(display, menu);
    return;
  }
  if (event->xbutton.button != mm::ContextButton(g_korrin.mouseRightHand, g_korrin.mouseButtons))
    return;
  XPoint p = GetContextPoint(menu, context, event->xbutton.x, event->xbutton.y);
  krnAttach_Menu(display, menu, p.x, p.y);
}

// Chooses the row under a release: closes every menu unless the row is a
// separator or opens a sub-menu, then calls the row's callback, whose
// answer (130 included) becomes the result.
int OnRelease(Display* display, KrnWindow* menu, XPoint p, int result) {
  MenuData* d = Data(menu);
  int row = mm::RowAt(p.x, p.y, menu->rect.width, menu->rect.height, RowHeight());
  MenuItem* it = Item(d, row);
  if (!it) return result;
  KrnEventCallback callback = it->callback;
  if (it->caption[0] && !it->link) DetachAllMenu(display);
  if (callback) result = callback(menu, KRN_MENU_SELECT, row, 0);
  return result;
}

// Follows the pointer: the row under it is highlighted and its sub-menu
// opened beside it, the other rows' sub-menus closed.
int OnMotion(Display* display, KrnWindow* menu, XPoint p) {
  MenuData* d = Data(menu);
  int h = RowHeight();
  int row = mm::RowAt(p.x, p.y, menu->rect.width, menu->rect.height, h);
  if (row < 0) return -1;
  for (int i = 0; i < d->count; i++)
    if (i != row) krnDetach_Menu(display, Item(d, i)->link);
  MenuItem* it = Item(d, row);
  if (it && it->link)
    AttachWhole(display, it->link, menu->rect.x + menu->rect.width, menu->rect.y + row * h,
                menu->rect.x, menu->rect.y + (row + 1) * h);
  return row;
}

int OnDestroy(KrnWindow* menu) {
  MenuData* d = Data(menu);
  UnlinkMenuWindow(menu);
  krnFree_ObjArray(d->items);
  d->items = nullptr;
  d->count = 0;
  return 1;
}

}  // namespace

// The menu's procedure: the default procedure's answer for the menu's own
// events, the carried-in result for events it leaves alone, and a chosen
// item's callback result.
int WndProc_Menu(Display* display, KrnWindow* menu, XEvent* event) {
  MenuData* d = Data(menu);
  if (!d || !event) return 0;
  if (!d->items) return menu->result;
  if (event->type == KeyPress) krnDetach_Menu(display, menu);
  Source source = kOwn;
  KrnWindow* context = nullptr;
  if (event->xany.window != menu->win && !Classify(display, menu, event, &source, &context))
    return menu->result;

  int result = krnWndProc_Default(display, menu, event);
  int index = d->currentItem;
  switch (event->type) {
    case ButtonPress:
      if (source == kContext) OnContextPress(display, menu, context, event);
      break;
    case ButtonRelease:
      if (!menu->shown) break;
      result =
          OnRelease(display, menu,
                    MenuPoint(menu, source, context, event->xbutton.x, event->xbutton.y), result);
      if (!CheckKrnPointer(menu) || !Data(menu)->items) return result;
      index = -1;
      Draw(display, menu, -1, 0);
      break;
    case LeaveNotify:
      index = -1;
      Draw(display, menu, -1, 0);
      break;
    case MotionNotify:
      if (!menu->shown ||
          mm::TooSoon(static_cast<uint32_t>(event->xmotion.time), d->motion, g_korrin.interval))
        break;
      d->motion = static_cast<uint32_t>(event->xmotion.time);
      index = OnMotion(display, menu,
                       MenuPoint(menu, source, context, event->xmotion.x, event->xmotion.y));
      Draw(display, menu, index, 0);
      break;
    case ConfigureNotify:
      // A shown menu that changed size is painted anew at its new size.
      if (source == kOwn && event->xconfigure.window == menu->win && menu->resized && menu->shown)
        Draw(display, menu, index, 1);
      break;
    case MapNotify:
    case KRN_EV_REDRAW:
      Draw(display, menu, index, 1);
      break;
    case KRN_EV_DESTROY:
      return OnDestroy(menu);
    default:
      break;
  }
  d->currentItem = index;
  return result;
}

// Creates the hidden menu as a child of parent; null when the window or
// its record cannot be made.
KrnWindow* krnCreateWindow_Menu(Display* display, KrnWindow* parent, const char* name) {
  KrnWindow* menu = krnCreateWindow(display, parent, krnSetRect(0, 0, 1, 1), 1, name, WndProc_Menu);
  if (!menu) return nullptr;
  XUnmapWindow(display, menu->win);
  krnSetWindowKind(menu, KRN_KIND_MENU);
  MenuData* d = static_cast<MenuData*>(krnAlloc(sizeof(MenuData)));
  void** items = d ? krnNew_ObjArray() : nullptr;
  if (!items) {
    free(d);
    krnDestroyWindow(display, menu);
    return nullptr;
  }
  d->currentItem = -1;
  d->count = 0;
  d->motion = 0;
  d->items = items;
  krnSetOption(menu, d);
  krnSetCustom(menu, 1);
  krnSetRedrawBuffer(menu, 1);
  return menu;
}

// Adds a row at index (-1 or out of range: at the end).  0 when memory ran
// out: the menu then has no rows left and stays empty.
int krnAddItem_Menu(KrnWindow* menu, const char* caption, KrnEventCallback callback, KrnImage* icon,
                    KrnWindow* link, int index) {
  MenuData* d = Data(menu);
  if (!d || !d->items) return 0;
  MenuItem* item = NewItem(caption, callback, icon, link);
  if (!item) {
    fprintf(stderr, "Error: Can't allocate memory.\n");
    return 0;
  }
  d->items = krnAddItemEx_ObjArray(d->items, d->count, item, index);
  if (!d->items) {
    d->count = 0;
    d->currentItem = -1;
    return 0;
  }
  d->count++;
  d->currentItem = -1;
  ResizeMenu(menu, d);
  return 1;
}

// Removes the row at index (negative: the last; past the end: none).  0 for
// an empty menu.
int krnDeleteItem_Menu(KrnWindow* menu, int index) {
  MenuData* d = Data(menu);
  if (!d || !d->items || d->count == 0) return 0;
  d->items = krnDelItem_ObjArray(d->items, index);
  d->count = krnGetTotal_ObjArray(d->items);
  d->currentItem = -1;
  if (!d->items) return 0;
  ResizeMenu(menu, d);
  return 1;
}

// Replaces caption, callback, icon and link of the row at index, keeping
// its check state; 1 also when there is no such row.  When the new caption
// cannot be copied the row stays as it was and the result is 0.
int krnChangeItem_Menu(KrnWindow* menu, const char* caption, KrnEventCallback callback,
                       KrnImage* icon, KrnWindow* link, int index) {
  MenuData* d = Data(menu);
  if (!d || !d->items) return 0;
  MenuItem* old = Item(d, index);
  if (!old) return 1;
  MenuItem* item = NewItem(caption, callback, icon, link);
  if (!item) {
    fprintf(stderr, "Error: can't allocate memory.\n");
    return 0;
  }
  item->checked = old->checked;
  d->items[index] = item;
  free(old);
  ResizeMenu(menu, d);
  krnSendEvent(menu, KRN_EV_REDRAW);
  return 1;
}

// Sets the check mark of a row: checked rows show the check image in place
// of their icon, unchecked rows no icon at all.
int krnSetCheck_Menu(KrnWindow* menu, int index, int check) {
  MenuData* d = Data(menu);
  if (!d || !d->items) return 0;
  MenuItem* it = Item(d, index);
  if (!it) return 0;
  check = check ? 1 : 0;
  if (it->checked == check) return 1;
  it->checked = check;
  it->icon = check ? g_korrin.images[KRN_IMG_CHECK] : nullptr;
  ResizeMenu(menu, d);
  krnSendEvent(menu, KRN_EV_REDRAW);
  return 1;
}

// Shows the menu with its corner at (x, y) of its parent, above its siblings.
// It is sized to its rows, not to the record's size, which may not have
// caught up yet with items added just before.
int krnAttach_Menu(Display* display, KrnWindow* menu, int x, int y) {
  return AttachWhole(display, menu, x, y, x, y);
}

namespace {

// The part of the parent that shows on the screen, in the parent's
// coordinates: a menu is a child of its parent, so it must lie in both.
KrnRect VisibleArea(Display* display, KrnWindow* parent) {
  int w = parent ? parent->rect.width : g_korrin.screenWidth;
  int h = parent ? parent->rect.height : g_korrin.screenHeight;
  int rx = 0, ry = 0;
  Window child;
  if (parent)
    XTranslateCoordinates(display, parent->win, RootWindow(display, 0), 0, 0, &rx, &ry, &child);
  int left = rx < 0 ? -rx : 0, top = ry < 0 ? -ry : 0;
  int right = w, bottom = h;
  if (rx + right > g_korrin.screenWidth) right = g_korrin.screenWidth - rx;
  if (ry + bottom > g_korrin.screenHeight) bottom = g_korrin.screenHeight - ry;
  return krnSetRect(left, top, right > left ? right - left : 0, bottom > top ? bottom - top : 0);
}

// Shows the menu at (x, y) of its parent, or flipped to end at (flipX,
// flipY), or shifted, whichever keeps it whole on the screen.
int AttachWhole(Display* display, KrnWindow* menu, int x, int y, int flipX, int flipY) {
  MenuData* d = Data(menu);
  if (!d) return 0;
  mm::Size size = d->items ? MenuSize(d) : mm::Size{menu->rect.width, menu->rect.height};
  KrnRect area = VisibleArea(display, menu->parent);
  int outer = 2;  // the X border on both sides
  x = mm::PlaceAlong(x, size.width + outer, flipX, area.x, area.x + area.width);
  y = mm::PlaceAlong(y, size.height + outer, flipY, area.y, area.y + area.height);
  menu->rect.x = static_cast<short>(x);
  menu->rect.y = static_cast<short>(y);
  XMoveResizeWindow(display, menu->win, x, y, size.width ? size.width : 1,
                    size.height ? size.height : 1);
  XMapWindow(display, menu->win);
  XRaiseWindow(display, menu->win);
  menu->shown = 1;
  return 1;
}

}  // namespace

// Hides the menu and, whether it was shown or not, all its sub-menus.
int krnDetach_Menu(Display* display, KrnWindow* menu) {
  return DetachFrom(display, menu);
}

long MenuWalkSteps() {
  return g_walkSteps;
}
