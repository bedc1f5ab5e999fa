// Keyboard focus and manners towards the window manager.  A top-level
// window names the control its keys belong to (its focused control); the
// loops hand every key event of the window's tree to that control, so
// typing does not depend on where the pointer is.  Every top-level window
// tells the window manager who it is (WM_CLASS, _NET_WM_PID,
// WM_CLIENT_MACHINE) and that it takes keyboard input; dialogs are
// transient for their owner, take the focus when they appear and give it
// back when they close.
#include <limits.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <string>

#include "core/korrin_internal.h"

namespace {

bool ShownOnScreen(Display* display, Window win) {
  XWindowAttributes attrs;
  return XGetWindowAttributes(display, win, &attrs) && attrs.map_state == IsViewable;
}

// The class is the instance name with a capital first letter ("quelmo",
// "Quelmo"), as X programs name themselves.
void SetClass(Display* display, Window win) {
  std::string name = g_korrin.programName[0] ? g_korrin.programName : "korrin";
  std::string cls = name;
  if (cls[0] >= 'a' && cls[0] <= 'z') cls[0] = static_cast<char>(cls[0] - 'a' + 'A');
  XClassHint hint;
  hint.res_name = &name[0];
  hint.res_class = &cls[0];
  XSetClassHint(display, win, &hint);
}

void SetClientMachine(Display* display, Window win) {
  char host[HOST_NAME_MAX + 1] = "";
  if (gethostname(host, sizeof host - 1) != 0 || !host[0]) return;
  char* list[] = {host};
  XTextProperty text;
  if (!XStringListToTextProperty(list, 1, &text)) return;
  XSetWMClientMachine(display, win, &text);
  XFree(text.value);
}

void SetPid(Display* display, Window win) {
  long pid = static_cast<long>(getpid());
  XChangeProperty(display, win, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
}

// Normal hints with the window's size limits and a position the window
// manager is to keep: the client area itself goes to (x, y), whatever
// frame the window manager puts round it, so a dialog reopens exactly where
// it was measured when it closed.
void SetPlaceHints(Display* display, KrnWindow* w, int x, int y) {
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize | USPosition | PPosition | PWinGravity;
  hints.x = x;
  hints.y = y;
  hints.min_width = w->minWidth;
  hints.min_height = w->minHeight;
  hints.max_width = w->maxWidth;
  hints.max_height = w->maxHeight;
  hints.win_gravity = StaticGravity;
  XSetWMNormalHints(display, w->win, &hints);
}

void GiveFocus(Display* display, KrnWindow* owner) {
  if (!owner || !CheckKrnPointer(owner)) return;
  KrnWindow* top = krnGetTopWindow(owner);
  if (ShownOnScreen(display, top->win))
    XSetInputFocus(display, top->win, RevertToParent, CurrentTime);
}

}  // namespace

int krnSetTitle(KrnWindow* window, const char* title) {
  if (!window || !title) return 0;
  char* list[] = {const_cast<char*>(title)};
  XTextProperty text;
  if (XmbTextListToTextProperty(g_korrin.display, list, 1, XStdICCTextStyle, &text) < Success)
    return 0;
  XSetWMName(g_korrin.display, window->win, &text);
  XFree(text.value);
  return 1;
}

// Makes the window the focused control of its top-level window; the
// top-level window itself clears the choice (keys then go to the window
// under the pointer).  1, or 0 for a null window.
int krnSetFocusWindow(KrnWindow* window) {
  if (!window) return 0;
  KrnWindow* top = krnGetTopWindow(window);
  KrnWindow* old = krnGetFocusWindow(top);
  top->focusWindow = window == top ? nullptr : window;
  // The input method composes for the focused control only.
  if (old && old != top->focusWindow) krnUnsetFocusIC_XIM(old);
  return 1;
}

// The focused control of the window's top-level window, or null.
KrnWindow* krnGetFocusWindow(KrnWindow* window) {
  if (!window) return nullptr;
  KrnWindow* top = krnGetTopWindow(window);
  KrnWindow* focus = top->focusWindow;
  if (!focus || !CheckKrnPointer(focus) || krnGetTopWindow(focus) != top) return nullptr;
  return focus;
}

void krnRouteKeyEvent(XEvent* event) {
  if (!event || (event->type != KeyPress && event->type != KeyRelease)) return;
  KrnWindow* w = krnGetWindowFromXWindow(event->xkey.window);
  KrnWindow* focus = krnGetFocusWindow(w);
  if (!focus || focus == w) return;
  event->xkey.window = focus->win;
  event->xkey.subwindow = None;
}

void krnForgetFocusWindow(KrnWindow* window) {
  for (KrnWindow** w = g_krnKorrinManager; w && *w; w++)
    if ((*w)->focusWindow == window) (*w)->focusWindow = nullptr;
}

void krnSetTopLevelProperties(Display* display, Window win) {
  SetClass(display, win);
  SetClientMachine(display, win);
  SetPid(display, win);
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(display, win, &hints);
}

// Asks for the input focus once a window that wants it is viewable (after
// a reparenting window manager has mapped its frame, too).
void krnTakeFocusIfViewable(Display* display, KrnWindow* window) {
  if (!window->takeFocus || !ShownOnScreen(display, window->win)) return;
  window->takeFocus = 0;
  XSetInputFocus(display, window->win, RevertToParent, CurrentTime);
}

int krnShowDialog(Display* display, KrnWindow* dialog, KrnWindow* owner, const KrnRect* place) {
  if (!display || !dialog) return 0;
  if (owner && CheckKrnPointer(owner))
    XSetTransientForHint(display, dialog->win, krnGetTopWindow(owner)->win);
  else
    owner = nullptr;
  if (place && place->x != KRN_PLACE_CENTRED && place->y != KRN_PLACE_CENTRED) {
    // The place is the client area's origin; the window's position is
    // that of its border's outer corner.
    XWindowAttributes attrs;
    int border = XGetWindowAttributes(display, dialog->win, &attrs) ? attrs.border_width : 0;
    KrnRect at = krnSetRect(place->x - border, place->y - border, place->width, place->height);
    dialog->rect.x = at.x;
    dialog->rect.y = at.y;
    krnMoveResizeWindow(dialog, at);
  } else {
    krnCenteringWnd(display, owner, dialog);
  }
  SetPlaceHints(display, dialog, dialog->rect.x, dialog->rect.y);
  dialog->takeFocus = 1;
  XMapRaised(display, dialog->win);
  return 1;
}

int krnCloseDialog(Display* display, KrnWindow* dialog, KrnWindow* owner, KrnRect* place) {
  if (!display) return 0;
  if (dialog && CheckKrnPointer(dialog)) {
    if (place) {
      int x = dialog->rect.x, y = dialog->rect.y;
      Window child;
      // The client area's own origin: a window manager may have taken the
      // border away meanwhile; krnShowDialog accounts for it again.
      XTranslateCoordinates(display, dialog->win, RootWindow(display, 0), 0, 0, &x, &y, &child);
      *place = krnSetRect(x, y, dialog->rect.width, dialog->rect.height);
    }
    krnDestroyWindow(display, dialog);
  }
  GiveFocus(display, owner);
  return 1;
}
