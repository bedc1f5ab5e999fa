// The event loop and dispatch: a loop over the one display connection that
// waits for input or the next timer tick, routes every event through the
// tree of window records (default procedure first, then the window's own,
// then the children in creation order), the modal filter that nested
// dialog loops use, timer ticks, key and string reading, and window
// placement helpers.
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

#include <vector>

#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include "core/keyrepeat_model.h"
#include "core/korrin_internal.h"

namespace {

bool IsKeyEvent(const XEvent* event) {
  return event->type == KeyPress || event->type == KeyRelease;
}

// One keyboard per display: the auto-repeat filter of every key press that
// krnGetKey reads.
keyrepeat::Filter g_keyRepeat;

// Runs the window's procedure chain for one event addressed to it (or to
// anyone, for allEvent windows).  Returns the result and whether the window
// is still alive afterwards.
int HandleOwn(Display* display, KrnWindow* window, XEvent* event, bool* alive) {
  int result = 1;
  if (window->defaultWndProcEvent) {
    window->result = 1;
    result = krnWndProc_Default(display, window, event);
  }
  if (window->wndProc && window->wndProc != krnWndProc_Default) {
    window->result = result;
    result = window->wndProc(display, window, event);
  }
  *alive = CheckKrnPointer(window);
  return result;
}

// Hands the event to each child in creation order; a child destroyed by an
// earlier sibling's handling is skipped.
int Propagate(Display* display, KrnWindow* window, XEvent* event, int result) {
  std::vector<KrnWindow*> children;
  for (KrnWindow** c = window->children; c && *c; c++) children.push_back(*c);
  for (KrnWindow* child : children) {
    if (!CheckKrnPointer(child)) continue;
    child->result = result;
    result = krnCallWndProc(display, child, event, 1);
    if (result == KRN_QUIT) break;
  }
  return result;
}

// One event for one window of the loop: dispatch, then the key handler of a
// top-level window.  Returns 0 when the loop is to end.
int DispatchToTop(Display* display, KrnWindow* window, XEvent* event) {
  int running = 1;
  if (krnCallWndProc(display, window, event, 1) == KRN_QUIT) running = 0;
  if (CheckKrnPointer(window) && window->keyEventCallback && event->type == KeyPress) {
    long key = krnGetKey(window, event);
    if (key != -1) {
      KrnWindow* target = krnGetWindowFromXWindow(event->xany.window);
      if (window->keyEventCallback(target, event, (KeySym)key) == KRN_QUIT) running = 0;
    }
  }
  return running;
}

int IdleCallbacks(KrnWindow* window) {
  int running = 1;
  if (window) {
    if (window->idlingCallback && window->idlingCallback(window) == KRN_QUIT) running = 0;
    return running;
  }
  int n = krnGetTotalWindows();
  for (int i = 0; i < n; i++) {
    KrnWindow* w = krnGetWindowFromIndex(i);
    if (w && !w->parent && w->idlingCallback && w->idlingCallback(w) == KRN_QUIT) running = 0;
  }
  return running;
}

// Events of X windows the toolkit does not know include the input method's
// own protocol messages (commits, sync requests): whoever discards such an
// event offers it to the input method first, or typed text would be lost.
void OfferForeignToInputMethod(XEvent* event) {
  if (!krnGetWindowFromXWindow(event->xany.window)) XFilterEvent(event, None);
}

// Handles an event outside the modal window: repaint, resize and map events
// (controls paint first on their map) still reach their windows; a click
// raises the modal window instead.
void ServeOutside(Display* display, KrnWindow* modal, XEvent* event) {
  if (krnIsPaintEvent(event->type)) {
    KrnWindow* w = krnGetWindowFromXWindow(event->xany.window);
    if (w) krnCallWndProc(display, w, event, 0);
  } else if (event->type == ButtonPress) {
    XMapRaised(display, modal->win);
  }
}

void EndTurn(Display* display, bool mayWait);

}  // namespace

// Runs the loop until a procedure or callback answers KRN_QUIT.  With a
// window only its subtree takes part (a modal loop); without, every
// top-level window.
int krnMainLoop(Display* display, KrnWindow* window) {
  int running = 1;
  while (running) {
    while (XPending(display)) {
      // A procedure may destroy the modal window while more events are
      // queued: the loop ends there, before the filter looks at the window.
      if (window && !CheckKrnPointer(window)) return 1;
      if (krnCheckEvent(display, window) == 1) continue;
      XEvent event;
      XNextEvent(display, &event);
      krnRouteKeyEvent(&event);
      krnNoteKeyEvent(&event);
      if (XFilterEvent(&event, None)) continue;
      if (window) {
        if (!DispatchToTop(display, window, &event)) running = 0;
      } else {
        int n = krnGetTotalWindows();
        for (int i = 0; i < n; i++) {
          KrnWindow* w = krnGetWindowFromIndex(i);
          if (w && !w->parent && !DispatchToTop(display, w, &event)) running = 0;
        }
      }
      if (g_korrin.debugCallback)
        g_korrin.debugCallback(display, krnGetWindowFromXWindow(event.xany.window), &event);
    }
    if (window && !CheckKrnPointer(window)) break;
    if (!IdleCallbacks(window)) running = 0;
    // an ending loop sends what was drawn and a tick that is due, but does
    // not wait for more
    EndTurn(display, running);
  }
  return 1;
}

// Dispatches one event into the window's subtree and returns the last answer.
int krnCallWndProc(Display* display, KrnWindow* window, XEvent* event, int propagate) {
  if (!window) return 0;
  if (window->custom) {
    int result = window->wndProc ? window->wndProc(display, window, event) : 1;
    if (CheckKrnPointer(window)) UpdateWindow(window, event);
    return result;
  }
  int result = 1;
  if (window->allEvent || event->xany.window == window->win) {
    bool alive = true;
    result = HandleOwn(display, window, event, &alive);
    if (result == KRN_QUIT) return KRN_QUIT;
    if (!alive) return result;
    AutoRedraw(display, window);
    UpdateWindow(window, event);
  }
  if (propagate == 1 && window->children) result = Propagate(display, window, event, result);
  return result;
}

// Sends a toolkit event (code >= 100) to the window alone, not its children.
int krnSendEvent(KrnWindow* window, int code) {
  if (!window) return 0;
  if (!window->wndProc) return 1;
  XEvent event;
  memset(&event, 0, sizeof event);
  event.type = code;
  event.xany.window = window->win;
  return krnCallWndProc(g_korrin.display, window, &event, 0);
}

// The modal filter: consumes (answer 1) the next event when it lies outside
// the window's subtree, after serving repaints and first maps (a dialog
// shown at start-up must not keep the windows below it unpainted); leaves
// it queued (answer 0) otherwise.  Without a window it consumes events of
// unregistered windows.
int krnCheckEvent(Display* display, KrnWindow* window) {
  XEvent event;
  XPeekEvent(display, &event);
  // Requests for our selections are answered whichever loop runs.
  krnNoteEventTime(&event);
  if (krnIsSelectionEvent(&event)) {
    XNextEvent(display, &event);
    krnSelectionEvent(display, &event);
    return 1;
  }
  if (window) {
    if (CheckChildWindow(window, event.xany.window)) return 0;
    XNextEvent(display, &event);
    krnNoteKeyEvent(&event);
    OfferForeignToInputMethod(&event);
    ServeOutside(display, window, &event);
    return 1;
  }
  if (krnGetWindowFromXWindow(event.xany.window)) return 0;
  XNextEvent(display, &event);
  krnNoteKeyEvent(&event);
  OfferForeignToInputMethod(&event);
  return 1;
}

int krnTimerEvent(void) {
  int n = krnGetTotalWindows();
  for (int i = 0; i < n; i++) {
    KrnWindow* w = krnGetWindowFromIndex(i);
    if (w && w->timerEvent) krnSendEvent(w, KRN_EV_TIMER);
  }
  return 1;
}

// Keeps windows painted during long work: handles at most one pending event.
// The event is taken off the queue before it is handled, so a handler that
// reads the queue itself cannot make us drop a different event.
int krnHookEvent(Display* display, KrnWindow* window) {
  if (!display || !XPending(display)) return 1;
  XEvent event;
  XNextEvent(display, &event);
  krnRouteKeyEvent(&event);
  krnNoteKeyEvent(&event);
  krnNoteEventTime(&event);
  if (krnSelectionEvent(display, &event)) return 1;
  if (window) {
    if (CheckChildWindow(window, event.xany.window))
      return krnCallWndProc(display, window, &event, 1);
    OfferForeignToInputMethod(&event);
    ServeOutside(display, window, &event);
    return 1;
  }
  OfferForeignToInputMethod(&event);
  if (krnIsPaintEvent(event.type)) {
    KrnWindow* w = krnGetWindowFromXWindow(event.xany.window);
    if (w) return krnCallWndProc(display, w, &event, 0);
  }
  return 1;
}

// Serves the repaint, resize and map events of the toolkit's windows at the
// head of the queue, in order, and stops at the first other event, which
// stays queued with everything behind it: input that arrives during short
// work (a status text being wrapped) is handled afterwards instead of lost.
int krnServePaintEvents(Display* display) {
  if (!display) return 1;
  while (XPending(display)) {
    XEvent event;
    XPeekEvent(display, &event);
    KrnWindow* w = krnGetWindowFromXWindow(event.xany.window);
    if (!w || !krnIsPaintEvent(event.type)) break;
    XNextEvent(display, &event);
    krnCallWndProc(display, w, &event, 0);
  }
  return 1;
}

int krnGetWheelLines(const XEvent* event) {
  if (!event || event->type != ButtonPress) return 0;
  if (event->xbutton.button == Button4) return -KRN_WHEEL_LINES;
  if (event->xbutton.button == Button5) return KRN_WHEEL_LINES;
  return 0;
}

void krnInitKeyRepeat(Display* display) {
  // Asked of the server, auto-repeat sends presses alone while a key is
  // held, so a release always means the key went up.  Without it, a repeat
  // is the release and press pair that shares one time stamp.
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(display, True, &detectable);
  g_keyRepeat = keyrepeat::Filter();
  g_keyRepeat.SetDetectable(detectable == True);
}

void krnNoteKeyEvent(const XEvent* event) {
  if (event && event->type == KeyRelease)
    g_keyRepeat.Release(event->xkey.keycode, (uint32_t)event->xkey.time);
}

// The key of a key event, or -1.  Only the auto-repeat of a held key is
// slowed: a repeated press within Interval of the key's last delivered press
// is dropped.  Modifier keys are never dropped and do not count.
long krnGetKey(KrnWindow* window, XEvent* event) {
  if (!window || !event || !IsKeyEvent(event)) return -1;
  if (event->type == KeyRelease) {
    krnNoteKeyEvent(event);
  } else if (!IsModifierKey(XLookupKeysym(&event->xkey, 0))) {
    if (!g_keyRepeat.Press(event->xkey.keycode, (uint32_t)event->xkey.time, g_korrin.interval))
      return -1;
    window->keyPressTime = event->xkey.time;
  }
  if (g_korrin.tenKey) return (long)krnConvertTenKeyCode(event->xkey);
  return (long)XLookupKeysym(&event->xkey, krnGetShiftState(event->xkey));
}

// The text a key event types, converted to the CharCode setting, in a shared
// buffer that the next call overwrites.
char* krnGetString(KrnWindow* window, XEvent* event, int* length) {
  static char buffer[5000];
  int dummy;
  if (!length) length = &dummy;
  *length = 0;
  buffer[0] = '\0';
  if (!window || !event || !IsKeyEvent(event)) return nullptr;
  int n;
  KeySym sym;
  bool fromInputMethod = window->ic && event->type == KeyPress;
  if (fromInputMethod) {
    Status status;
    n = XmbLookupString(window->ic, &event->xkey, buffer, sizeof buffer - 1, &sym, &status);
    if (status == XBufferOverflow) {
      fprintf(stderr, "Error: Get String - Buffer Overflow. Too long string(limit 5000 words)");
      buffer[0] = '\0';
      return buffer;
    }
  } else {
    n = XLookupString(&event->xkey, buffer, sizeof buffer - 1, &sym, nullptr);
  }
  if (n < 0) n = 0;
  buffer[n] = '\0';
  n = krnTypedToWorkingCode(buffer, n, sizeof buffer, fromInputMethod);
  if (n < 0) {
    fprintf(stderr, "Error: Get String - Buffer Overflow. Too long string(limit 5000 words)");
    n = 0;
    buffer[0] = '\0';
  }
  *length = n;
  return buffer;
}

int krnIsPaintEvent(int type) {
  return type == Expose || type == ConfigureNotify || type == MapNotify;
}

int64_t krnNowMicroseconds(void) {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (int64_t)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

int krnWaitForInput(Display* display, int64_t wait) {
  int fd = ConnectionNumber(display);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(fd, &readable);
  timeval timeout;
  timeout.tv_sec = (time_t)(wait / 1000000);
  timeout.tv_usec = (suseconds_t)(wait % 1000000);
  return select(fd + 1, &readable, nullptr, nullptr, wait < 0 ? nullptr : &timeout) >= 0 ||
         errno != EINTR;
}

namespace {

// When the next timer tick is due (monotonic microseconds; 0: not yet
// set).  One clock for every loop, nested ones included, so ticks come
// once per Interval however many turns the events make.
int64_t g_nextTick = 0;

// Whether the loop last waited for a tick: a loop that slept without one
// starts a whole Interval afresh when a window asks for ticks again.
bool g_ticking = false;

// The strongest timer mode among the windows: KRN_TIMER_ON when some window
// wants every tick, KRN_TIMER_LAZY when some only takes the ticks of a loop
// awake anyway, KRN_TIMER_OFF when none takes any.
int TimerDemand() {
  int demand = KRN_TIMER_OFF;
  for (KrnWindow** w = g_krnKorrinManager; w && *w; w++) {
    if ((*w)->timerEvent == KRN_TIMER_ON) return KRN_TIMER_ON;
    if ((*w)->timerEvent) demand = KRN_TIMER_LAZY;
  }
  return demand;
}

void Tick(Display* display) {
  krnTimerEvent();
  // The server catches up with what was sent since it last did; when it
  // has seen every request already, there is nothing to wait for, and an
  // idle program makes no round trip per tick.
  if (NextRequest(display) - 1 != LastKnownRequestProcessed(display)) XSync(display, False);
}

// Ends a loop turn: sends what was drawn, then (with mayWait) waits for the
// next event or the next timer tick, whichever comes first.  At the tick the
// timer events go out and the display is synced.  Events already read off
// the connection end the turn at once.  A loop wakes for ticks only while a window
// wants every tick; otherwise it sleeps until input comes, and a signal
// that cuts the wait short ends it with a tick at once, so that a window
// taking timer events acts on what the signal handler noted.
void EndTurn(Display* display, bool mayWait) {
  int64_t interval = (int64_t)(g_korrin.interval > 0 ? g_korrin.interval : 1) * 1000;
  XFlush(display);
  int demand = TimerDemand();
  int64_t now = krnNowMicroseconds();
  bool ticking = demand == KRN_TIMER_ON;
  if (g_nextTick == 0 || g_nextTick - now > interval || (ticking && !g_ticking))
    g_nextTick = now + interval;
  g_ticking = ticking;
  // XPending, not QLength: a reply read during the turn may have brought
  // events off the connection into the library's buffers, where the socket
  // no longer shows them and a wait without a limit would not end.
  if (mayWait && (now < g_nextTick || !ticking) && XPending(display) == 0) {
    bool signalled = !krnWaitForInput(display, ticking ? g_nextTick - now : -1);
    if (signalled && demand != KRN_TIMER_OFF) return Tick(display);
    now = krnNowMicroseconds();
  }
  if (now < g_nextTick || demand == KRN_TIMER_OFF) return;
  // A late tick is not made up for: the next one is a whole Interval away
  // at most, never a burst.
  g_nextTick += interval;
  if (g_nextTick <= now) g_nextTick = now + interval;
  Tick(display);
}

}  // namespace

int krnFlush(Display* display) {
  EndTurn(display, true);
  return 1;
}

// Centres the window over the reference window (null: the screen), keeping
// it off the very top-left corner.
int krnCenteringWnd(Display* display, KrnWindow* reference, KrnWindow* window) {
  if (!window) return 0;
  Window refWin = reference ? reference->win : RootWindow(display, 0);
  Window root, child;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask;
  XQueryPointer(display, refWin, &root, &child, &rootX, &rootY, &winX, &winY, &mask);
  int gx, gy;
  unsigned int width = 0, height = 0, border, depth;
  XGetGeometry(display, refWin, &root, &gx, &gy, &width, &height, &border, &depth);
  int x = rootX - winX + (int)width / 2 - window->rect.width / 2;
  int y = rootY - winY + (int)height / 2 - window->rect.height / 2;
  if (x <= 3) x = 4;
  if (y <= 15) y = 16;
  window->rect.x = (short)x;
  window->rect.y = (short)y;
  XRaiseWindow(display, window->win);
  XMoveWindow(display, window->win, x, y);
  return 1;
}

// The window's own origin on the screen with the given size: the stored
// position of a top-level window, or that of a child added to the screen
// origin of the X window it was created in.  The position passed in is not
// used, so callers may hand any rectangle of the window's size.
KrnRect krnGetScreenCoordinate(KrnWindow* window, KrnRect rect) {
  if (!window) return rect;
  Display* display = g_korrin.display;
  Window root = RootWindow(display, 0);
  int ox = 0, oy = 0;
  if (window->parentWin != 0 && window->parentWin != root) {
    Window child;
    XTranslateCoordinates(display, window->parentWin, root, 0, 0, &ox, &oy, &child);
  }
  return krnSetRect(ox + window->rect.x, oy + window->rect.y, rect.width, rect.height);
}

// Fixes the window's size for the window manager (fix != 0) or gives it
// back its stored limits.
int krnFixWindow(Display* display, KrnWindow* window, int fix) {
  if (!window) return 0;
  if (fix)
    krnSetSizeHints(display, window->win, window->rect.width, window->rect.height,
                    window->rect.width, window->rect.height);
  else
    krnSetSizeHints(display, window->win, window->minWidth, window->minHeight, window->maxWidth,
                    window->maxHeight);
  return 1;
}
