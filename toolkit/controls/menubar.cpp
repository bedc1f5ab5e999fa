// menubar.cpp - the menu bar (kind 60): the strip across the top of a
// top-level window with the captions "Menu" and "?", each opening its popup
// menu below it, and a status line (a text window) right of them.  It is a
// custom window: it sees every event of its parent's tree, passes its status
// window's events on, and follows the parent's width through its update
// callback.  The open menu tracks the pointer itself from the bar's events.
#include <string.h>

#include "controls/menu.h"
#include "controls/menu_model.h"
#include "core/korrin_internal.h"

namespace {

namespace mm = menumodel;

const char* const kCaptions[2] = {"Menu", "?"};

MenuBarData* Data(KrnWindow* bar) {
  if (!bar || bar->windowKind != KRN_KIND_MENUBAR) return nullptr;
  return static_cast<MenuBarData*>(bar->option);
}

int CaptionWidth(int which) {
  return krnTextWidth(reinterpret_cast<const unsigned char*>(kCaptions[which]));
}

mm::BarLayout Layout(int parentWidth) {
  return mm::LayoutBar(parentWidth, krnGetHeight_MenuBar(), CaptionWidth(0), CaptionWidth(1));
}

KrnRect ToRect(const mm::Box& b) {
  return krnSetRect(b.x, b.y, b.width, b.height);
}

mm::Box ToBox(const KrnRect& r) {
  return mm::Box{r.x, r.y, r.width, r.height};
}

int CaptionAt(MenuBarData* d, int x, int y) {
  mm::BarLayout l;
  l.caption[0] = ToBox(d->caption[0]);
  l.caption[1] = ToBox(d->caption[1]);
  return mm::CaptionAt(l, x, y);
}

// The bar with caption highlighted (-1: none), from the buffer to the
// screen; skipped when caption is already highlighted and force is 0.
void Draw(Display* display, KrnWindow* bar, int caption, int force) {
  MenuBarData* d = Data(bar);
  if (!force && caption == d->currentCaption) return;
  krnClearWindow(display, bar, 1);
  Pixmap buffer = krnGetDraw(bar);
  const KrnRect& c0 = d->caption[0];
  const KrnRect& c1 = d->caption[1];
  if (caption == 0)
    krnDraw3DRectangle(display, buffer, krnSetRect(c0.x + 3, c0.y + 3, c0.width - 3, c0.height - 5),
                       1);
  else if (caption == 1)
    krnDraw3DRectangle(display, buffer, krnSetRect(c1.x, c1.y + 3, c1.width - 1, c1.height - 5), 1);
  int y = (bar->rect.height - krnGetCharHeight(nullptr)) / 2;
  for (int which = 0; which < 2; which++)
    krnDrawText(display, buffer, g_korrin.font, g_korrin.fontKanji, bar->foreFontColor,
                KRN_TRANSPARENT, d->caption[which].x + 10, y,
                reinterpret_cast<const unsigned char*>(kCaptions[which]));
  krnDraw3DRectangle(display, buffer, krnSetRect(0, 0, bar->rect.width, bar->rect.height), 1);
  krnRedrawWindow(display, bar);
}

// 1 when the menu is open as some window's context menu away from (x, y).
int CheckContextMenu(KrnWindow* menu, int x, int y) {
  if (!menu->shown || menu->rect.x == x || menu->rect.y == y) return 0;
  int n = krnGetTotalWindows();
  for (int i = 0; i < n; i++) {
    KrnWindow* w = krnGetWindowFromIndex(i);
    if (w && w->contextMenu == menu) return 1;
  }
  return 0;
}

// A press on a caption opens its menu below it, closes it when it is open
// there already, and moves it there when it is open as a context menu.
void ToggleMenu(Display* display, KrnWindow* menu, int x, int y) {
  if (!menu) return;
  if (!menu->shown) {
    krnAttach_Menu(display, menu, x, y);
  } else if (CheckContextMenu(menu, x, y)) {
    krnDetach_Menu(display, menu);
    krnAttach_Menu(display, menu, x, y);
  } else {
    krnDetach_Menu(display, menu);
  }
}

int OnPress(Display* display, KrnWindow* bar, MenuBarData* d, XEvent* event) {
  int caption = CaptionAt(d, event->xbutton.x, event->xbutton.y);
  int height = krnGetHeight_MenuBar();
  if (caption < 0) {
    krnDetach_Menu(display, d->menu[0]);
    krnDetach_Menu(display, d->menu[1]);
  } else {
    krnDetach_Menu(display, d->menu[1 - caption]);
    ToggleMenu(display, d->menu[caption], d->caption[caption].x, height);
  }
  Draw(display, bar, caption, 0);
  return caption;
}

// Events of the other windows: the hover highlight goes away once the
// pointer has left the captions.  The server is asked only while a caption
// is highlighted.
void OnForeignEvent(Display* display, KrnWindow* bar, MenuBarData* d) {
  if (d->currentCaption == -1) return;
  KrnRect band = krnSetRect(d->caption[0].x, d->caption[0].y,
                            d->caption[0].width + d->caption[1].width, d->caption[0].height);
  Window root, child;
  int rootX, rootY, x = 0, y = 0;
  unsigned int mask;
  if (!XQueryPointer(display, bar->win, &root, &child, &rootX, &rootY, &x, &y, &mask)) return;
  if (krnPointInRect(x, y, band)) return;
  Draw(display, bar, -1, 1);
  d->currentCaption = -1;
}

}  // namespace

// The bar's procedure: the default procedure's answer for its own events,
// 1 for everyone else's.
int WndProc_MenuBar(Display* display, KrnWindow* bar, XEvent* event) {
  MenuBarData* d = Data(bar);
  if (!d || !event) return 0;
  if (d->status && event->xany.window == d->status->win)
    krnCallWndProc(display, d->status, event, 0);
  if (event->xany.window != bar->win) {
    OnForeignEvent(display, bar, d);
    return 1;
  }
  int result = krnWndProc_Default(display, bar, event);
  int caption = d->currentCaption;
  switch (event->type) {
    case ButtonPress:
      caption = OnPress(display, bar, d, event);
      break;
    case MotionNotify:
      caption = CaptionAt(d, event->xmotion.x, event->xmotion.y);
      Draw(display, bar, caption, 0);
      break;
    case LeaveNotify:
      caption = -1;
      Draw(display, bar, -1, 0);
      break;
    case MapNotify:
    case ConfigureNotify:
    case KRN_EV_REDRAW:
      Draw(display, bar, caption, 1);
      break;
    case KRN_EV_DESTROY:
      d->status = nullptr;  // a child: the core destroys it next
      break;
    default:
      break;
  }
  d->currentCaption = caption;
  return result;
}

// Creates the bar across the parent's top with its status line; null for a
// null parent, a parent that has a bar already, or when creation failed.
KrnWindow* krnCreateWindow_MenuBar(Display* display, KrnWindow* parent, const char* name,
                                   KrnWindow* menu0, KrnWindow* menu1, const char* status) {
  if (!parent) return nullptr;
  int n = krnGetTotalWindows();
  for (int i = 0; i < n; i++) {
    KrnWindow* w = krnGetWindowFromIndex(i);
    if (w && w->windowKind == KRN_KIND_MENUBAR && w->parent == parent) return nullptr;
  }
  mm::BarLayout l = Layout(parent->rect.width);
  KrnWindow* bar =
      krnCreateWindow(display, parent, krnSetRect(0, 0, parent->rect.width, krnGetHeight_MenuBar()),
                      1, name, WndProc_MenuBar);
  if (!bar) return nullptr;
  bar->shown = 1;
  krnSetWindowKind(bar, KRN_KIND_MENUBAR);
  MenuBarData* d = static_cast<MenuBarData*>(krnAlloc(sizeof(MenuBarData)));
  if (!d) {
    krnDestroyWindow(display, bar);
    return nullptr;
  }
  d->currentCaption = -1;
  d->menu[0] = menu0;
  d->menu[1] = menu1;
  d->caption[0] = ToRect(l.caption[0]);
  d->caption[1] = ToRect(l.caption[1]);
  d->status = nullptr;
  krnSetOption(bar, d);
  if (!status) status = "";
  d->status = krnCreateWindow_TextWnd(display, bar, ToRect(l.status), "_krnStatus_MenuBar", status,
                                      static_cast<int>(strlen(status)));
  if (!d->status) {
    krnDestroyWindow(display, bar);
    return nullptr;
  }
  krnSetBackColor(display, d->status, g_korrin.setColors[KRN_SC_BACK]);
  krnSetCustom(bar, 1);
  krnSetRedrawBuffer(bar, 1);
  krnSetUpdateWindowCallback(bar, krnUpdateWindow_MenuBar);
  return bar;
}

KrnWindow* krnGetMenuItem_MenuBar(KrnWindow* bar, int which) {
  MenuBarData* d = Data(bar);
  return d ? d->menu[which == 0 ? 0 : 1] : nullptr;
}

int krnSetMenuItem_MenuBar(KrnWindow* bar, KrnWindow* menu, int which) {
  MenuBarData* d = Data(bar);
  if (!d) return 0;
  d->menu[which == 0 ? 0 : 1] = menu;
  return 1;
}

// Shows text in the status line; 1 also when it shows that text already.
int krnSetStatus_MenuBar(KrnWindow* bar, const char* text) {
  MenuBarData* d = Data(bar);
  if (!d || !d->status) return 0;
  if (!text) text = "";
  const char* shown = krnGetText_TextWnd(d->status);
  if (shown && strcmp(shown, text) == 0) return 1;
  return krnSetText_TextWnd(d->status, text, static_cast<int>(strlen(text))) >= 0 ? 1 : 0;
}

// The text the status line shows, or null.
const char* krnGetStatus_MenuBar(KrnWindow* bar) {
  MenuBarData* d = Data(bar);
  return d && d->status ? krnGetText_TextWnd(d->status) : nullptr;
}

int krnGetHeight_MenuBar(void) {
  return mm::BarHeight(krnGetCharHeight(nullptr));
}

// Follows the parent's width: the bar spans it, the status line fills what
// the captions leave.
int krnUpdateWindow_MenuBar(KrnWindow* bar) {
  MenuBarData* d = Data(bar);
  if (!d || !bar->parent) return d ? 1 : 0;
  int width = bar->parent->rect.width;
  krnMoveResizeWindow(bar, krnSetRect(bar->rect.x, bar->rect.y, width, bar->rect.height));
  if (d->status) {
    mm::BarLayout l;
    l.caption[1] = ToBox(d->caption[1]);
    const KrnRect& s = d->status->rect;
    krnMoveResizeWindow(d->status, krnSetRect(s.x, s.y, mm::StatusWidth(l, width), s.height));
  }
  return 1;
}
