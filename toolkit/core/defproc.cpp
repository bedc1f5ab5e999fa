// The default window procedure and the redraw buffer: record geometry, map
// state and resize flag kept up to date, Expose served by one copy from the
// buffer, the buffer grown (never shrunk) with the window, the window
// manager's delete request turned into KRN_QUIT, and the clear, redraw and
// copy families that controls draw with.
#include <stdio.h>

#include <algorithm>

#include "core/korrin_internal.h"
#include "support/xmeasure.h"

namespace {

// Prepares the window's GC for plain copies and fills in the back colour.
GC PrepareGC(Display* display, KrnWindow* window) {
  XSetFunction(display, window->gc, GXcopy);
  XSetClipMask(display, window->gc, None);
  XSetForeground(display, window->gc, window->backColor);
  XSetBackground(display, window->gc, window->backColor);
  return window->gc;
}

KrnRect WholeWindow(KrnWindow* window) {
  return krnSetRect(0, 0, window->rect.width, window->rect.height);
}

// Tiles the window's wallpaper over rect of the drawable, tiles anchored at
// the window's origin.
void TileWallPaper(Display* display, KrnWindow* window, Drawable drawable, GC gc, Region region,
                   KrnRect rect) {
  KrnImage* image = window->wallPaper;
  if (!image || image->width <= 0 || image->height <= 0 || !image->gc) return;
  XCopyGC(display, gc, 0x7FFFFF, image->gc);
  XSetClipMask(display, image->gc, None);
  int right = rect.x + rect.width, bottom = rect.y + rect.height;
  for (int ty = 0; ty < bottom; ty += image->height) {
    for (int tx = 0; tx < right; tx += image->width) {
      KrnRect in = krnGetInRect(krnSetRect(tx, ty, image->width, image->height), rect);
      if (krnIsEmptyRect(in)) continue;
      XSetClipOrigin(display, image->gc, tx, ty);
      if (region) XSetRegion(display, image->gc, region);
      if (window->wallPaperPixmap)
        XCopyArea(display, window->wallPaperPixmap, drawable, image->gc, in.x - tx, in.y - ty,
                  in.width, in.height, in.x, in.y);
      else
        krnDrawImageEx(display, drawable, image->gc, in.x, in.y, image, in.x - tx, in.y - ty,
                       in.width, in.height);
    }
  }
}

// Grows the redraw buffer for a window that became larger than ever before.
// Returns 0 (everything unchanged) when no new buffer could be made.
int GrowBuffer(Display* display, KrnWindow* window, KrnRect next) {
  int bw = std::max<int>(window->drawRect.width, next.width);
  int bh = std::max<int>(window->drawRect.height, next.height);
  if (bw > 2 * g_korrin.screenWidth && bh > 2 * g_korrin.screenHeight) {
    fprintf(stderr,
            "Error: Window size too large for Korrin redraw buffer.\n(less than screen width * 2 "
            "& height * 2)");
    return 1;
  }
  unsigned long serial = NextRequest(display);
  Pixmap grown = XCreatePixmap(display, window->win, bw, bh, g_korrin.depth);
  if (!grown || krnRequestFailed(display, serial)) {
    fprintf(stderr, "Error: Can't create pixmap (unknown error).\n");
    return 0;
  }
  ClearWindowForDWndProc(display, window, grown, krnSetRect(0, 0, bw, bh));
  XCopyArea(display, window->draw, grown, PrepareGC(display, window), 0, 0, window->drawRect.width,
            window->drawRect.height, 0, 0);
  krnResetGC(window->gc);
  XFreePixmap(display, window->draw);
  window->draw = grown;
  window->drawRect.width = (unsigned short)bw;
  window->drawRect.height = (unsigned short)bh;
  window->rect = next;
  return 1;
}

// ConfigureNotify of the window itself.  A move takes the new position; a
// resize keeps the recorded position and takes only the size.
int Configure(Display* display, KrnWindow* window, const XConfigureEvent& ev, int result) {
  KrnRect next = krnSetRect(ev.x, ev.y, ev.width, ev.height);
  if (ev.width == window->rect.width && ev.height == window->rect.height) {
    window->resized = 0;
  } else {
    window->resized = 1;
    next.x = window->rect.x;
    next.y = window->rect.y;
  }
  if (ev.width == 0 || ev.height == 0) return result;
  next.width = (unsigned short)std::min(ev.width, 2 * g_korrin.screenWidth);
  next.height = (unsigned short)std::min(ev.height, 2 * g_korrin.screenHeight);
  if (window->drawRect.width >= next.width && window->drawRect.height >= next.height) {
    window->rect = next;
    return result;
  }
  return GrowBuffer(display, window, next) ? result : 0;
}

}  // namespace

// The common work every window gets before its own procedure; returns the
// carried-in result, or what this event makes of it.
int krnWndProc_Default(Display* display, KrnWindow* window, XEvent* event) {
  if (!window || !event) return 0;
  int result = window->result;
  if (event->xany.window != window->win) return result;
  XEvent copy = *event;
  Window target = 0;
  switch (event->type) {
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
    case EnterNotify:
    case LeaveNotify:
    case ColormapNotify:
      target = event->xany.window;
      break;
    case Expose:
      target = event->xany.window;
      krnTakeFocusIfViewable(display, window);
      if (window->redrawBuffer) {
        XSetForeground(display, window->gc, window->backColor);
        XCopyArea(display, window->draw, window->win, window->gc, event->xexpose.x,
                  event->xexpose.y, event->xexpose.width, event->xexpose.height, event->xexpose.x,
                  event->xexpose.y);
      }
      break;
    case GraphicsExpose:
    case NoExpose:
    case GravityNotify:
    case CirculateNotify:
    case CirculateRequest:
      break;
    case DestroyNotify:
      target = event->xdestroywindow.window;
      if (target == window->win) result = KRN_DESTROYED;
      break;
    case UnmapNotify:
      target = event->xunmap.window;
      if (target == window->win) window->shown = 0;
      break;
    case MapNotify:
      target = event->xmap.window;
      if (target == window->win) window->shown = 1;
      if (target == window->win) krnTakeFocusIfViewable(display, window);
      break;
    case ConfigureNotify:
      target = event->xconfigure.window;
      if (target == window->win) result = Configure(display, window, event->xconfigure, result);
      break;
    case ClientMessage:
      target = event->xany.window;
      if (event->xclient.format == 32 && (Atom)event->xclient.data.l[0] == window->wmDeleteWindow)
        result = KRN_QUIT;
      break;
    default:
      if (event->type >= KRN_EV_UPDATE && event->type <= KRN_EV_DESTROY)
        target = event->xany.window;
      else
        result = 0;
      break;
  }
  if (target && window->children) {
    for (int i = 0; window->children && window->children[i]; i++)
      if (window->children[i]->win == target)
        result = krnCallWndProc(display, window->children[i], &copy, 0);
  }
  return result;
}

// Calls the children's update callbacks after the parent's ConfigureNotify.
int UpdateWindow(KrnWindow* window, XEvent* event) {
  if (!window || !event || event->type != ConfigureNotify || !window->children) return 0;
  for (int i = 0; window->children && window->children[i]; i++) {
    KrnWindow* child = window->children[i];
    if (child->updateWindowCallback) child->updateWindowCallback(child);
  }
  return 1;
}

// Copies the buffer to the screen when something was drawn into it since
// the last copy.
int AutoRedraw(Display* display, KrnWindow* window) {
  if (!window || !window->autoRedraw) return 0;
  if (window->drawStamp == window->lastDrawStamp) return 1;
  if (krnIsEmptyRect(window->autoRedrawArea))
    krnRedrawWindow(display, window);
  else
    krnRedrawRectWindow(display, window, window->autoRedrawArea);
  window->lastDrawStamp = window->drawStamp;
  return 1;
}

// Paints the background (back colour, then the wallpaper tiles) into rect of
// the drawable.
int ClearWindowForDWndProc(Display* display, KrnWindow* window, Drawable drawable, KrnRect rect) {
  if (!window) return 0;
  GC gc = PrepareGC(display, window);
  XFillRectangle(display, drawable, gc, rect.x, rect.y, rect.width, rect.height);
  TileWallPaper(display, window, drawable, gc, nullptr, rect);
  krnResetGC(window->gc);
  return 1;
}

/* ---- clear family ------------------------------------------------------ */

namespace {
// rect cut to the window's own area.
KrnRect InsideWindow(KrnWindow* window, KrnRect rect) {
  int x = std::max<int>(rect.x, 0), y = std::max<int>(rect.y, 0);
  int width = std::min<int>(rect.width, window->rect.width - x);
  int height = std::min<int>(rect.height, window->rect.height - y);
  return krnSetRect(x, y, std::max(width, 0), std::max(height, 0));
}

// Lets the server clear area of the window to the window's own background;
// no GC takes part.
void ClearOnScreen(Display* display, KrnWindow* window, KrnRect area) {
  if (!krnIsEmptyRect(area))
    XClearArea(display, window->win, area.x, area.y, area.width, area.height, False);
}
}  // namespace

// Paints the background into the buffer (toBuffer != 0) or lets the server
// clear the window itself (the buffer untouched).
int krnClearWindowEx(Display* display, KrnWindow* window, GC gc, Region region, KrnRect rect,
                     int toBuffer) {
  if (!window) return 0;
  KrnRect area = InsideWindow(window, rect);
  bool own = !gc;
  if (own) gc = PrepareGC(display, window);
  if (region) XSetRegion(display, gc, region);
  if (toBuffer) {
    Pixmap buffer = krnGetDraw(window);
    XFillRectangle(display, buffer, gc, area.x, area.y, area.width, area.height);
    TileWallPaper(display, window, buffer, gc, region, area);
  } else {
    ClearOnScreen(display, window, area);
  }
  if (region) XSetClipMask(display, gc, None);
  if (gc == window->gc) krnResetGC(window->gc);
  return 1;
}

namespace {
int ClearWith(Display* display, KrnWindow* window, Region region, KrnRect rect, int toBuffer) {
  if (!window) return 0;
  if (!toBuffer) {
    // The server clears the window to its own background with no GC, so
    // neither colours nor a clip region are set up for it; the window's GC
    // is left reset as after every clear.
    ClearOnScreen(display, window, InsideWindow(window, rect));
    krnResetGC(window->gc);
    return 1;
  }
  krnResetGC(window->gc);
  GC gc = PrepareGC(display, window);
  return krnClearWindowEx(display, window, gc, region, rect, toBuffer);
}

int ClearClipped(Display* display, KrnWindow* window, KrnRect clip, KrnRect rect, int toBuffer) {
  if (!window) return 0;
  if (!toBuffer) return ClearWith(display, window, nullptr, krnGetInRect(rect, clip), 0);
  Region region = krnx::RectRegion(clip);
  int r = ClearWith(display, window, region, krnGetInRect(rect, clip), toBuffer);
  XDestroyRegion(region);
  return r;
}
}  // namespace

int krnClearWindow(Display* display, KrnWindow* window, int toBuffer) {
  return window ? ClearWith(display, window, nullptr, WholeWindow(window), toBuffer) : 0;
}
int krnClearWindowRg(Display* display, KrnWindow* window, Region region, int toBuffer) {
  return window ? ClearWith(display, window, region, WholeWindow(window), toBuffer) : 0;
}
int krnClearWindowRRg(Display* display, KrnWindow* window, KrnRect clip, int toBuffer) {
  return window ? ClearClipped(display, window, clip, WholeWindow(window), toBuffer) : 0;
}
int krnClearRectWindow(Display* display, KrnWindow* window, KrnRect rect, int toBuffer) {
  return ClearWith(display, window, nullptr, rect, toBuffer);
}
int krnClearRectWindowRg(Display* display, KrnWindow* window, Region region, KrnRect rect,
                         int toBuffer) {
  return ClearWith(display, window, region, rect, toBuffer);
}
int krnClearRectWindowRRg(Display* display, KrnWindow* window, KrnRect clip, KrnRect rect,
                          int toBuffer) {
  return ClearClipped(display, window, clip, rect, toBuffer);
}

/* ---- redraw family ----------------------------------------------------- */

// Copies rect of the buffer to the same place on the screen.
int krnRedrawWindowEx(Display* display, KrnWindow* window, GC gc, KrnRect rect) {
  if (!window) return 0;
  if (!gc) gc = PrepareGC(display, window);
  XCopyArea(display, window->draw, window->win, gc, rect.x, rect.y, rect.width, rect.height, rect.x,
            rect.y);
  return 1;
}

namespace {
int RedrawWith(Display* display, KrnWindow* window, Region region, KrnRect rect) {
  if (!window) return 0;
  GC gc = PrepareGC(display, window);
  if (region) XSetRegion(display, gc, region);
  krnRedrawWindowEx(display, window, gc, rect);
  if (region) XSetClipMask(display, gc, None);
  return 1;
}

int RedrawClipped(Display* display, KrnWindow* window, KrnRect clip, KrnRect rect) {
  if (!window) return 0;
  Region region = krnx::RectRegion(clip);
  int r = RedrawWith(display, window, region, krnGetInRect(rect, clip));
  XDestroyRegion(region);
  return r;
}
}  // namespace

int krnRedrawWindow(Display* display, KrnWindow* window) {
  return window ? RedrawWith(display, window, nullptr, WholeWindow(window)) : 0;
}
int krnRedrawWindowRg(Display* display, KrnWindow* window, Region region) {
  return window ? RedrawWith(display, window, region, WholeWindow(window)) : 0;
}
int krnRedrawWindowRRg(Display* display, KrnWindow* window, KrnRect clip) {
  return window ? RedrawClipped(display, window, clip, WholeWindow(window)) : 0;
}
int krnRedrawRectWindow(Display* display, KrnWindow* window, KrnRect rect) {
  return RedrawWith(display, window, nullptr, rect);
}
int krnRedrawRectWindowRg(Display* display, KrnWindow* window, Region region, KrnRect rect) {
  return RedrawWith(display, window, region, rect);
}
int krnRedrawRectWindowRRg(Display* display, KrnWindow* window, KrnRect clip, KrnRect rect) {
  return RedrawClipped(display, window, clip, rect);
}

/* ---- copy family ------------------------------------------------------- */

// Moves rect to (dx, dy) inside the buffer (target 1) or the window.
int krnCopyWindowEx(Display* display, KrnWindow* window, GC gc, KrnRect rect, int dx, int dy,
                    int target) {
  if (!window) return 0;
  if (!gc) gc = PrepareGC(display, window);
  Drawable d = target == 1 ? krnGetDraw(window) : window->win;
  XCopyArea(display, d, d, gc, rect.x, rect.y, rect.width, rect.height, dx, dy);
  return 1;
}

namespace {
int CopyWith(Display* display, KrnWindow* window, Region region, KrnRect rect, int dx, int dy,
             int target) {
  if (!window) return 0;
  GC gc = PrepareGC(display, window);
  if (region) XSetRegion(display, gc, region);
  krnCopyWindowEx(display, window, gc, rect, dx, dy, target);
  if (region) XSetClipMask(display, gc, None);
  return 1;
}
}  // namespace

int krnCopyWindow(Display* display, KrnWindow* window, KrnRect rect, int dx, int dy, int target) {
  return CopyWith(display, window, nullptr, rect, dx, dy, target);
}
int krnCopyWindowRg(Display* display, KrnWindow* window, Region region, KrnRect rect, int dx,
                    int dy, int target) {
  return CopyWith(display, window, region, rect, dx, dy, target);
}
int krnCopyWindowRRg(Display* display, KrnWindow* window, KrnRect clip, KrnRect rect, int dx,
                     int dy, int target) {
  if (!window) return 0;
  Region region = krnx::RectRegion(clip);
  int r = CopyWith(display, window, region, krnGetInRect(rect, clip), dx, dy, target);
  XDestroyRegion(region);
  return r;
}
