// scrollbar.cpp - the scroll bar control (kind 30), vertical and horizontal:
// arrows that step, a track that pages, a thumb that drags, auto-repeat
// driven by the loop's timer ticks, and a painter that draws into the redraw
// buffer and copies it out once.  The arithmetic lives in scrollbar_model.cpp;
// start at ScrollProc.
#include "controls/scrollbar_model.h"
#include "core/korrin_internal.h"

namespace {

ScrollBarData* Data(KrnWindow* window) {
  if (!window || window->windowKind != KRN_KIND_SCROLLBAR) return nullptr;
  return static_cast<ScrollBarData*>(window->option);
}

int Length(KrnWindow* window, const ScrollBarData* d) {
  return d->vertical ? window->rect.height : window->rect.width;
}

sb::Geometry GeometryOf(KrnWindow* window, const ScrollBarData* d) {
  return sb::Measure(*d, Length(window, d));
}

// A rectangle given along and across the bar's axis.
KrnRect AxisRect(const ScrollBarData* d, int along, int across, int length, int thickness) {
  return d->vertical ? krnSetRect(across, along, thickness, length)
                     : krnSetRect(along, across, length, thickness);
}

KrnImage* Arrow(const ScrollBarData* d, bool forward) {
  int slot = d->vertical ? (forward ? KRN_IMG_ARROWDW : KRN_IMG_ARROWUP)
                         : (forward ? KRN_IMG_ARROWRT : KRN_IMG_ARROWLT);
  return g_korrin.images[slot];
}

// Paints the bar for pressed part p into the redraw buffer and copies it
// to the screen; unless whole, only when the part or the position changed.
int PaintBar(Display* display, KrnWindow* window, int p, int whole) {
  ScrollBarData* d = Data(window);
  if (!whole && p == d->part && d->pos == d->drawnPos) return 0;
  d->drawnPos = d->pos;
  krnClearWindow(display, window, 1);
  Pixmap buffer = krnGetDraw(window);
  sb::Geometry g = GeometryOf(window, d);
  using sb::kSecondary;

  krnDrawIconButton(display, buffer, AxisRect(d, 0, 0, sb::kArrow, sb::kArrow),
                    Arrow(d, p == sb::kArrow1 + kSecondary), p % kSecondary == sb::kArrow1);
  krnDraw3DRectangle(display, buffer, AxisRect(d, sb::kTrackStart, 0, g.track, sb::kArrow), 1);

  int start = g.smallThumb ? g.thumbStart : g.thumbStart + 2;
  int length = g.smallThumb ? sb::kMinThumb - 4 : g.thumbLen - 4;
  KrnRect thumb = AxisRect(d, start, 2, length, 12);
  bool pressed = sb::Repeats(p) || p == sb::kThumb;
  XSetForeground(display, window->gc,
                 g_korrin.setColors[pressed ? KRN_SC_ACTION : KRN_SC_BACKFACE]);
  XFillRectangle(display, buffer, window->gc, thumb.x, thumb.y, thumb.width, thumb.height);
  XSetForeground(display, window->gc, window->backColor);
  krnDraw3DRectangle(display, buffer, thumb, 0);

  krnDrawIconButton(display, buffer,
                    AxisRect(d, g.length - sb::kThickness, 0, sb::kArrow, sb::kArrow),
                    Arrow(d, p != sb::kArrow2 + kSecondary), p % kSecondary == sb::kArrow2);
  krnRedrawWindow(display, window);
  return 1;
}

int Draw_VScroll(Display* display, KrnWindow* window, int p, int whole) {
  return PaintBar(display, window, p, whole);
}

int Draw_HScroll(Display* display, KrnWindow* window, int p, int whole) {
  return PaintBar(display, window, p, whole);
}

int Paint(Display* display, KrnWindow* window, int p, int whole) {
  return Data(window)->vertical ? Draw_VScroll(display, window, p, whole)
                                : Draw_HScroll(display, window, p, whole);
}

// Pointer coordinates along and across the axis.
void Split(const ScrollBarData* d, int x, int y, int* along, int* across) {
  *along = d->vertical ? y : x;
  *across = d->vertical ? x : y;
}

int OnPress(Display* display, KrnWindow* window, const XButtonEvent& ev, int p) {
  ScrollBarData* d = Data(window);
  d->holdTime = 0;
  int along, across;
  Split(d, ev.x, ev.y, &along, &across);
  sb::Buttons buttons = sb::ButtonsFor(g_korrin.mouseRightHand, g_korrin.mouseButtons);
  p = sb::PressPart(GeometryOf(window, d), p, along, across, ev.button, buttons, &d->grabOffset);
  if (p == sb::kThumb) {
    d->pressAlong = along;
    d->pressPos = d->pos;
  }
  Paint(display, window, p, 0);
  return p;
}

// The release steps once unless auto-repeat already moved.  A drag ends
// where the button is let go: the last motion events may have been dropped
// by the motion throttle, and the thumb must not stop short of the pointer.
// A thumb let go where it was pressed stays where it was.
int OnRelease(Display* display, KrnWindow* window, const XButtonEvent& ev, int p) {
  ScrollBarData* d = Data(window);
  int along, across;
  Split(d, ev.x, ev.y, &along, &across);
  sb::Geometry g = GeometryOf(window, d);
  if (p == sb::kThumb) d->pos = sb::DragPos(g, *d, along);
  if (d->holdTime < sb::kHoldLimit) d->pos = sb::StepOnce(g, p, d->pos, along, across);
  Paint(display, window, 0, 0);
  return 0;
}

void OnRepeat(Display* display, KrnWindow* window, int p) {
  ScrollBarData* d = Data(window);
  Window root, child;
  int rootX, rootY, x = 0, y = 0;
  unsigned int mask;
  XQueryPointer(display, window->win, &root, &child, &rootX, &rootY, &x, &y, &mask);
  int along, across;
  Split(d, x, y, &along, &across);
  d->pos = sb::StepOnce(GeometryOf(window, d), p, d->pos, along, across);
  Paint(display, window, p, 0);
}

void OnMotion(Display* display, KrnWindow* window, const XMotionEvent& ev, int p) {
  ScrollBarData* d = Data(window);
  uint32_t elapsed = static_cast<uint32_t>(ev.time) - static_cast<uint32_t>(d->motionTime);
  if (elapsed <= static_cast<uint32_t>(sb::kMotionGap)) return;
  d->motionTime = static_cast<int>(ev.time);
  if (p != sb::kThumb) return;
  int along, across;
  Split(d, ev.x, ev.y, &along, &across);
  d->pos = sb::DragPos(GeometryOf(window, d), *d, along);
  Paint(display, window, sb::kThumb, 0);
}

// Keeps the bar at least 17 thick and 51 long and the position in range.
int OnConfigure(Display* display, KrnWindow* window, const XConfigureEvent& ev, int p, int result) {
  ScrollBarData* d = Data(window);
  int thick = d->vertical ? ev.width : ev.height, length = d->vertical ? ev.height : ev.width;
  if (thick < sb::kThickness || length < sb::kMinLength) {
    thick = thick < sb::kThickness ? sb::kThickness : thick;
    length = length < sb::kMinLength ? sb::kMinLength : length;
    XMoveResizeWindow(display, window->win, ev.x, ev.y, d->vertical ? thick : length,
                      d->vertical ? length : thick);
  }
  d->pos = sb::Clamp(GeometryOf(window, d), d->pos);
  Paint(display, window, p, 1);
  return result != 0 ? ConfigureNotify : result;
}

// The procedure of both variants.  A user move answers KRN_SCROLLED and is
// reported to the callback; a resize answers ConfigureNotify (22).
int ScrollProc(Display* display, KrnWindow* window, XEvent* event) {
  ScrollBarData* d = Data(window);
  if (!d || !event) return window ? window->result : 0;
  if (event->xany.window != window->win) return window->result;
  int old = d->pos;
  int result = krnWndProc_Default(display, window, event);
  int p = d->part;
  switch (event->type) {
    case ButtonPress:
      if (int lines = krnGetWheelLines(event)) {
        // A notch is a user move of three steps.
        d->pos = sb::Clamp(GeometryOf(window, d), d->pos + lines);
        Paint(display, window, p, 0);
        break;
      }
      p = OnPress(display, window, event->xbutton, p);
      break;
    case ButtonRelease:
      p = OnRelease(display, window, event->xbutton, p);
      break;
    case KRN_EV_SCROLL_REPEAT:
      OnRepeat(display, window, p);
      break;
    case KRN_EV_TIMER:
    case KRN_EV_UPDATE:
      if (sb::Tick(*d, g_korrin.interval)) return krnSendEvent(window, KRN_EV_SCROLL_REPEAT);
      break;
    case MotionNotify:
      OnMotion(display, window, event->xmotion, p);
      break;
    case ConfigureNotify:
      if (event->xconfigure.window == window->win)
        result = OnConfigure(display, window, event->xconfigure, p, result);
      break;
    case MapNotify:
    case KRN_EV_REDRAW:
      Paint(display, window, p, 1);
      break;
    default:
      break;
  }
  d->part = p;
  // ticks time the auto-repeat: wanted only while a repeating part is held
  krnSetTimerEvent(window, sb::Repeats(p) ? KRN_TIMER_ON : KRN_TIMER_OFF);
  if (event->type == KRN_EV_TIMER) return result;
  if (d->pos == old && result != ConfigureNotify) return result;
  if (result != ConfigureNotify) result = KRN_SCROLLED;
  if (krnCallEventCallback(window, result, d->pos, 0) == KRN_QUIT) result = KRN_QUIT;
  return result;
}

KrnWindow* Create(Display* display, KrnWindow* parent, KrnRect rect, const char* name, int pos,
                  int max, int step, KrnEventCallback callback, bool vertical) {
  if (vertical)
    rect.width = sb::kThickness;
  else
    rect.height = sb::kThickness;
  KrnWindow* window =
      krnCreateWindow(display, parent, rect, 0, name, vertical ? WndProc_VScroll : WndProc_HScroll);
  if (!window) return nullptr;
  krnSetWindowKind(window, KRN_KIND_SCROLLBAR);
  ScrollBarData* d = static_cast<ScrollBarData*>(krnAlloc(sizeof(ScrollBarData)));
  if (!d) {
    krnDestroyWindow(display, window);
    return nullptr;
  }
  *d = ScrollBarData{};
  d->pos = pos < 0 ? 0 : pos;
  d->max = max < 0 ? 0 : max;
  d->step = step < 1 ? 1 : step;
  d->vertical = vertical ? 1 : 0;
  krnSetOption(window, d);
  d->pos = sb::Clamp(GeometryOf(window, d), d->pos);
  krnSetCustom(window, 1);
  krnSetRedrawBuffer(window, 1);
  krnSetEventCallback(window, callback);
  return window;
}

// Stores a new max or step and keeps the position in range; repaints.
void Rescale(KrnWindow* window, ScrollBarData* d) {
  d->pos = sb::Clamp(GeometryOf(window, d), d->pos);
  krnSendEvent(window, KRN_EV_REDRAW);
}

}  // namespace

int WndProc_VScroll(Display* display, KrnWindow* window, XEvent* event) {
  return ScrollProc(display, window, event);
}

int WndProc_HScroll(Display* display, KrnWindow* window, XEvent* event) {
  return ScrollProc(display, window, event);
}

// Creates a vertical scroll bar (17 wide); null when it cannot be made.
KrnWindow* krnCreateWindow_VScrollBar(Display* display, KrnWindow* parent, KrnRect rect,
                                      const char* name, int pos, int max, int step,
                                      KrnEventCallback callback) {
  return Create(display, parent, rect, name, pos, max, step, callback, true);
}

// Creates a horizontal scroll bar (17 high); null when it cannot be made.
KrnWindow* krnCreateWindow_HScrollBar(Display* display, KrnWindow* parent, KrnRect rect,
                                      const char* name, int pos, int max, int step,
                                      KrnEventCallback callback) {
  return Create(display, parent, rect, name, pos, max, step, callback, false);
}

int krnGetPos_ScrollBar(KrnWindow* window) {
  ScrollBarData* d = Data(window);
  return d ? d->pos : -1;
}

// Moves the position (kept in range); a change repaints and reports
// KRN_SCROLL_SET to the callback.
int krnSetPos_ScrollBar(KrnWindow* window, int position) {
  ScrollBarData* d = Data(window);
  if (!d) return 0;
  position = sb::Clamp(GeometryOf(window, d), position);
  if (position == d->pos) return 1;
  d->pos = position;
  krnSendEvent(window, KRN_EV_REDRAW);
  if (CheckKrnPointer(window)) krnCallEventCallback(window, KRN_SCROLL_SET, position, 0);
  return 1;
}

int krnGetMax_ScrollBar(KrnWindow* window) {
  ScrollBarData* d = Data(window);
  return d ? d->max : -1;
}

// A new content size; 0 for a negative one.  No callback.
int krnSetMax_ScrollBar(KrnWindow* window, int max) {
  ScrollBarData* d = Data(window);
  if (!d || max < 0) return 0;
  if (max != d->max) {
    d->max = max;
    Rescale(window, d);
  }
  return 1;
}

int krnGetMin_ScrollBar(KrnWindow* window) {
  ScrollBarData* d = Data(window);
  return d ? d->step : -1;
}

// A new step size; 0 for one below 1.
int krnSetMin_ScrollBar(KrnWindow* window, int step) {
  ScrollBarData* d = Data(window);
  if (!d || step < 1) return 0;
  if (step != d->step) {
    d->step = step;
    Rescale(window, d);
  }
  return 1;
}

int krnGetHeight_ScrollBar(void) {
  return sb::kThickness;
}

int krnSetEventCallback_ScrollBar(KrnWindow* window, KrnEventCallback callback) {
  if (!Data(window)) return 0;
  return krnSetEventCallback(window, callback);
}
