// Window records: creation and destruction in their fixed order, the
// setters and getters, and the lookups over the registry and child lists.
// A record owns its name copy, GC, redraw buffer, wallpaper pixmap copy,
// child list and the control's private data.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <X11/Xatom.h>

#include "core/korrin_internal.h"

namespace {

// Counter behind krnGetDraw's stamps: runs 2 ... 10000000, then from 2 again,
// so a stamp is never 0 (a fresh record) or 1.
unsigned int g_drawCounter = 1;
constexpr unsigned int kDrawCounterMax = 9999999;

char* DupName(const char* name) {
  if (!name) return nullptr;
  size_t n = strlen(name) + 1;
  char* copy = (char*)malloc(n);
  if (copy) memcpy(copy, name, n);
  return copy;
}

KrnWindow* NewRecord() {
  KrnWindow* w = (KrnWindow*)calloc(1, sizeof(KrnWindow));
  if (!w) fprintf(stderr, "Error: Can't allocate memory.\n");
  return w;
}

void FillRecord(KrnWindow* w, KrnWindow* parent, Window parentWin, KrnRect rect) {
  w->parentWin = parentWin;
  w->rect = rect;
  w->drawRect = rect;
  w->autoRedrawArea = KrnRect{0, 0, 0, 0};
  w->borderColor = g_korrin.setColors[KRN_SC_BORDER];
  w->backColor = g_korrin.setColors[KRN_SC_BACK];
  w->foreFontColor = g_korrin.setColors[KRN_SC_FONT];
  w->backFontColor = g_korrin.setColors[KRN_SC_BACKFONT];
  w->windowKind = KRN_KIND_WINDOW;
  w->result = 1;
  w->defaultWndProcEvent = 1;
  w->minWidth = w->minHeight = 0;
  w->maxWidth = 2 * g_korrin.screenWidth;
  w->maxHeight = 2 * g_korrin.screenHeight;
  w->parent = parent;
}

}  // namespace

KrnWindow* krnCreateWindow(Display* display, KrnWindow* parent, KrnRect rect,
                           unsigned int borderWidth, const char* name, KrnWndProc proc) {
  return krnCreateWindowEx(display, parent, rect, borderWidth, name, proc, 1);
}

// Creates a window record with its X window, redraw buffer and GC, registers
// it (and appends it to the parent's children); show 1 maps it at once.
KrnWindow* krnCreateWindowEx(Display* display, KrnWindow* parent, KrnRect rect,
                             unsigned int borderWidth, const char* name, KrnWndProc proc,
                             int show) {
  if (!display) return nullptr;
  KrnWindow* w = NewRecord();
  if (!w) return nullptr;

  // A window or buffer the server refuses (a buffer too large for it gives
  // BadAlloc) is not made: nothing is left drawing into a pixmap that does
  // not exist.
  unsigned long serial = NextRequest(display);
  Window parentWin = parent ? parent->win : RootWindow(display, 0);
  unsigned int width = rect.width ? rect.width : 1, height = rect.height ? rect.height : 1;
  w->win = XCreateSimpleWindow(display, parentWin, rect.x, rect.y, width, height, borderWidth,
                               g_korrin.setColors[KRN_SC_BORDER], g_korrin.setColors[KRN_SC_BACK]);
  XSelectInput(display, w->win, KRN_EVENT_MASK);

  w->draw = XCreatePixmap(display, w->win, width, height, g_korrin.depth);
  if (!w->draw || krnRequestFailed(display, serial)) {
    fprintf(stderr, "Error: Can't create pixmap (unknown error).\n");
    XDestroyWindow(display, w->win);
    free(w);
    return nullptr;
  }
  XGCValues values{};
  values.foreground = g_korrin.setColors[KRN_SC_BACK];
  w->gc = XCreateGC(display, w->win, GCForeground, &values);

  FillRecord(w, parent, parentWin, rect);

  w->wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, w->win, &w->wmDeleteWindow, 1);
  krnSetSizeHints(display, w->win, 0, 0, w->maxWidth, w->maxHeight);
  if (!parent) krnSetTopLevelProperties(display, w->win);

  krnSetWallPaper(display, w, g_korrin.wallImage);

  w->wndProc = proc ? proc : krnWndProc_Default;
  XStoreName(display, w->win, name ? name : "");
  w->name = DupName(name);

  AddKorrinManager(w);
  if (parent) AddChildWindow(parent, w);

  krnClearWindow(display, w, 1);
  if (show == 1) XMapWindow(display, w->win);
  XSetWindowColormap(display, w->win, g_korrin.colormap);
  if (!proc) w->redrawBuffer = 1;

  XSetWindowAttributes attrs{};
  attrs.backing_store = Always;
  XChangeWindowAttributes(display, w->win, CWBackingStore, &attrs);
  return w;
}

// Destroys a window and its whole subtree: children first, each told with
// KRN_EV_DESTROY before anything of the parent is released.
int krnDestroyWindow(Display* display, KrnWindow* window) {
  if (!window) return 0;
  krnSendEvent(window, KRN_EV_DESTROY);

  if (window->children) {
    // Children get parent = null first so that destroying them does not edit
    // the list being walked.
    for (KrnWindow** c = window->children; *c; c++) {
      (*c)->parent = nullptr;
      krnDestroyWindow(display, *c);
    }
    free(window->children);
    window->children = nullptr;
  }
  if (window->parent && CheckKrnPointer(window->parent)) DeleteChildWindow(window->parent, window);
  DeleteKorrinManager(window);
  krnForgetFocusWindow(window);
  krnDetachIM(window, 1);
  if (window->destructCallBack) window->destructCallBack();

  free(window->option);
  if (window->draw) XFreePixmap(display, window->draw);
  if (window->wallPaperPixmap) XFreePixmap(display, window->wallPaperPixmap);
  if (window->gc) XFreeGC(display, window->gc);
  free(window->name);
  XUnmapWindow(display, window->win);
  XDestroyWindow(display, window->win);
  free(window);
  return 1;
}

// Sets the size limits the window manager sees; the other normal hints (a
// position the user asked for and its gravity) stay as they were.
void krnSetSizeHints(Display* display, Window win, int minW, int minH, int maxW, int maxH) {
  XSizeHints hints{};
  long supplied = 0;
  if (!XGetWMNormalHints(display, win, &hints, &supplied)) hints = XSizeHints{};
  hints.flags |= PMinSize | PMaxSize;
  hints.min_width = minW;
  hints.min_height = minH;
  hints.max_width = maxW;
  hints.max_height = maxH;
  XSetWMNormalHints(display, win, &hints);
}

int AddChildWindow(KrnWindow* parent, KrnWindow* window) {
  if (!parent) return 0;
  return krnListAppend(&parent->children, window);
}

int DeleteChildWindow(KrnWindow* parent, KrnWindow* window) {
  if (!parent) return 0;
  return krnListRemove(&parent->children, window);
}

/* ---- setters ----------------------------------------------------------- */

int krnSetCaption(KrnWindow* window, const char* caption) {
  if (!window) return 0;
  XStoreName(g_korrin.display, window->win, caption ? caption : "");
  free(window->name);
  window->name = DupName(caption);
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

int krnSetBackColor(Display* display, KrnWindow* window, unsigned long pixel) {
  if (!window) return 0;
  window->backColor = pixel;
  XSetForeground(display, window->gc, pixel);
  XSetWindowBackground(display, window->win, pixel);
  if (window->wallPaper) krnSetWallPaper(display, window, window->wallPaper);
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

int krnSetWallPaper(Display* display, KrnWindow* window, KrnImage* image) {
  if (!window) return 0;
  if (window->wallPaperPixmap) XFreePixmap(display, window->wallPaperPixmap);
  window->wallPaperPixmap = 0;
  window->wallPaper = image;
  if (!image) {
    XSetWindowBackgroundPixmap(display, window->win, None);
    XSetWindowBackground(display, window->win, window->backColor);
  } else if (image->mask) {
    window->wallPaperPixmap = krnCreateMaskImage(display, image);
    XSetWindowBackgroundPixmap(display, window->win, window->wallPaperPixmap);
  } else {
    XSetWindowBackgroundPixmap(display, window->win, image->pixmap);
  }
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

int krnSetBorderColor(Display* display, KrnWindow* window, unsigned long pixel) {
  if (!window) return 0;
  window->borderColor = pixel;
  XSetWindowBorder(display, window->win, pixel);
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

int krnSetForeFontColor(Display*, KrnWindow* window, unsigned long pixel) {
  if (!window) return 0;
  window->foreFontColor = pixel;
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

int krnSetBackFontColor(Display*, KrnWindow* window, unsigned long pixel) {
  if (!window) return 0;
  window->backFontColor = pixel;
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

int krnSetWindowKind(KrnWindow* window, int kind) {
  if (!window) return 0;
  window->windowKind = kind;
  return 1;
}

int krnSetOption(KrnWindow* window, void* data) {
  if (!window) return 0;
  window->option = data;
  return 1;
}

// KRN_TIMER_ON (any other non-zero value too), KRN_TIMER_LAZY or
// KRN_TIMER_OFF.
int krnSetTimerEvent(KrnWindow* window, int on) {
  if (window) window->timerEvent = on == KRN_TIMER_LAZY ? int(KRN_TIMER_LAZY) : on != 0;
  return 1;
}

int krnSetDefaultCursor(KrnWindow* window, Cursor cursor) {
  if (!window) return 0;
  window->defaultCursor = cursor;
  if (cursor)
    XDefineCursor(g_korrin.display, window->win, cursor);
  else
    XUndefineCursor(g_korrin.display, window->win);
  return 1;
}

int krnSetMinMaxSize(KrnWindow* window, int minWidth, int minHeight, int maxWidth, int maxHeight) {
  if (!window) return 0;
  window->minWidth = minWidth;
  window->minHeight = minHeight;
  window->maxWidth = maxWidth;
  window->maxHeight = maxHeight;
  krnSetSizeHints(g_korrin.display, window->win, minWidth, minHeight, maxWidth, maxHeight);
  return 1;
}

int krnSetDestructCallBack(KrnWindow* window, KrnDestructCallback function) {
  if (window) window->destructCallBack = function;
  return 1;
}

int krnSetWindowColormap(KrnWindow* window, Colormap colormap) {
  if (!window) return 0;
  XSetWindowColormap(g_korrin.display, window->win, colormap);
  return 1;
}

int krnShowWindow(KrnWindow* window, int on) {
  if (!window) return 0;
  if (on)
    XMapWindow(g_korrin.display, window->win);
  else
    XUnmapWindow(g_korrin.display, window->win);
  return 1;
}

int krnSetWndProc(KrnWindow* window, KrnWndProc proc) {
  if (!window) return 0;
  window->wndProc = proc ? proc : krnWndProc_Default;
  window->redrawBuffer = proc ? 0 : 1;
  return 1;
}

int krnSetEventCallback(KrnWindow* window, KrnEventCallback function) {
  if (!window) return 0;
  window->eventCallback = function;
  return 1;
}

int krnSetKeyEventCallback(KrnWindow* window, KrnKeyEventCallback function) {
  if (!window) return 0;
  if (!window->parent) window->keyEventCallback = function;
  return 1;
}

int krnSetIdolingCallback(KrnWindow* window, KrnWindowCallback function) {
  if (!window) return 0;
  if (!window->parent) window->idlingCallback = function;
  return 1;
}

int krnSetUpdateWindowCallback(KrnWindow* window, KrnWindowCallback function) {
  if (!window) return 0;
  window->updateWindowCallback = function;
  return 1;
}

int krnSetDebugCallback(KrnDebugCallback function) {
  g_korrin.debugCallback = function;
  return 1;
}

namespace {
int SetFlag(KrnWindow* window, int KrnWindow::*flag, int on) {
  if (!window) return 0;
  window->*flag = on != 0;
  return 1;
}
}  // namespace

int krnSetCustom(KrnWindow* window, int on) {
  return SetFlag(window, &KrnWindow::custom, on);
}
int krnSetRedrawBuffer(KrnWindow* window, int on) {
  return SetFlag(window, &KrnWindow::redrawBuffer, on);
}
int krnSetAllEvent(KrnWindow* window, int on) {
  return SetFlag(window, &KrnWindow::allEvent, on);
}
int krnSetDefaultWndProcEvent(KrnWindow* window, int on) {
  return SetFlag(window, &KrnWindow::defaultWndProcEvent, on);
}

int krnMoveResizeWindow(KrnWindow* window, KrnRect rect) {
  if (!window) return 0;
  XMoveResizeWindow(g_korrin.display, window->win, rect.x, rect.y, rect.width ? rect.width : 1,
                    rect.height ? rect.height : 1);
  return 1;
}

int krnRaiseWindow(KrnWindow* window) {
  if (!window) return 0;
  XRaiseWindow(g_korrin.display, window->win);
  return 1;
}

int krnSetContextMenu(KrnWindow* window, KrnWindow* menu) {
  if (!window) return 0;
  if (menu && menu->windowKind != KRN_KIND_MENU) return 0;
  window->contextMenu = menu;
  return 1;
}

int krnSetLinkWindow(KrnWindow* window, long value) {
  if (!window) return 0;
  window->linkWindow = value;
  return 1;
}

int krnSetKeyPressTime(KrnWindow* window, Time time) {
  if (!window) return 0;
  window->keyPressTime = time;
  return 1;
}

int krnSetButtonPressTime(KrnWindow* window, Time time) {
  if (!window) return 0;
  window->buttonPressTime = time;
  return 1;
}

int krnSetMotionTime(KrnWindow* window, Time time) {
  if (!window) return 0;
  window->motionTime = time;
  return 1;
}

int krnSetAutoRedraw(KrnWindow* window, int on) {
  if (!window) return 0;
  window->autoRedraw = on != 0;
  if (on) window->redrawBuffer = 1;
  return 1;
}

int krnSetAutoRedrawArea(KrnWindow* window, KrnRect rect) {
  if (!window) return 0;
  window->autoRedrawArea = rect;
  return 1;
}

int krnCallEventCallback(KrnWindow* window, int code, long value, long extra) {
  if (!window) return 0;
  if (!window->eventCallback) return 1;
  return window->eventCallback(window, code, value, extra);
}

/* ---- getters ----------------------------------------------------------- */

int krnCheckShowWindow(KrnWindow* window) {
  return window ? window->shown : 0;
}
Window krnGetXWindow(KrnWindow* window) {
  return window ? window->win : 0;
}
Window krnGetWin(KrnWindow* window) {
  return window ? window->win : 0;
}
KrnWindow* krnGetParentWindow(KrnWindow* window) {
  return window ? window->parent : nullptr;
}
int krnIsWindowResized(KrnWindow* window) {
  return window ? window->resized : 0;
}

// Returns the redraw buffer and stamps the window as drawn into, which is
// what auto redraw looks at.
Pixmap krnGetDraw(KrnWindow* window) {
  if (!window) return 0;
  window->drawStamp = ++g_drawCounter;
  if (g_drawCounter > kDrawCounterMax) g_drawCounter = 1;
  return window->draw;
}

/* ---- lookups ----------------------------------------------------------- */

namespace {

template <typename Match>
KrnWindow* FindIn(KrnWindow** list, Match match) {
  if (!list) return nullptr;
  for (KrnWindow** p = list; *p; p++)
    if (match(*p)) return *p;
  return nullptr;
}

KrnWindow* AtIndex(KrnWindow** list, int index) {
  if (!list || index < 0) return nullptr;
  for (int i = 0; list[i]; i++)
    if (i == index) return list[i];
  return nullptr;
}

auto ByName(const char* name) {
  return [name](KrnWindow* w) { return name && w->name && strcmp(w->name, name) == 0; };
}

auto ByXWindow(Window xwindow) {
  return [xwindow](KrnWindow* w) { return w->win == xwindow; };
}

}  // namespace

KrnWindow* krnGetWindow(const char* name) {
  return FindIn(g_krnKorrinManager, ByName(name));
}
KrnWindow* krnGetWindowFromXWindow(Window xwindow) {
  return FindIn(g_krnKorrinManager, ByXWindow(xwindow));
}
KrnWindow* krnGetWindowFromIndex(int index) {
  return AtIndex(g_krnKorrinManager, index);
}
int krnGetTotalWindows(void) {
  return krnListCount(g_krnKorrinManager);
}

KrnWindow* krnGetChildWindow(KrnWindow* window, const char* name) {
  return window ? FindIn(window->children, ByName(name)) : nullptr;
}
KrnWindow* krnGetChildWindowFromXWindow(KrnWindow* window, Window xwindow) {
  return window ? FindIn(window->children, ByXWindow(xwindow)) : nullptr;
}
KrnWindow* krnGetChildWindowFromIndex(KrnWindow* window, int index) {
  return window ? AtIndex(window->children, index) : nullptr;
}
int krnGetTotalChildWindows(KrnWindow* window) {
  return window ? krnListCount(window->children) : 0;
}

KrnWindow* krnGetTopWindow(KrnWindow* window) {
  if (!window) return nullptr;
  while (window->parent) window = window->parent;
  return window;
}
