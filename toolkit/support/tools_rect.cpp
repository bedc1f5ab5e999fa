// Rectangles and their arithmetic, the geometry-string setter, the path
// helper, the GC reset shared by every drawing primitive, and the list of
// rectangles where other screen windows cover a window.
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include <korrin.h>

int krnSetRectangle(KrnRect* rect, int x, int y, int width, int height) {
  if (!rect) return 0;
  *rect = krnSetRect(x, y, width, height);
  return 1;
}

KrnRect krnSetRect(int x, int y, int width, int height) {
  KrnRect r;
  r.x = (short)x;
  r.y = (short)y;
  r.width = (unsigned short)width;
  r.height = (unsigned short)height;
  return r;
}

KrnRect krnSetOffsetRect(KrnRect rect, int dx, int dy) {
  return krnSetRect(rect.x + dx, rect.y + dy, rect.width, rect.height);
}

int krnIsEmptyRect(KrnRect rect) {
  return rect.width == 0 || rect.height == 0;
}

// Both edges are exclusive: a point on any edge is outside.
int krnPointInRect(int x, int y, KrnRect rect) {
  return x > rect.x && x < rect.x + rect.width && y > rect.y && y < rect.y + rect.height;
}

// The intersection; rectangles that only touch keep x and y with a zero
// width or height, disjoint ones (or a common part ending at or left of 0)
// give (0, 0, 0, 0).
KrnRect krnGetInRect(KrnRect a, KrnRect b) {
  int x = std::max<int>(a.x, b.x);
  int y = std::max<int>(a.y, b.y);
  int right = std::max(0, std::min(a.x + a.width, b.x + b.width));
  int bottom = std::max(0, std::min(a.y + a.height, b.y + b.height));
  if (right < x || bottom < y || right == 0 || bottom == 0) return krnSetRect(0, 0, 0, 0);
  return krnSetRect(x, y, right - x, bottom - y);
}

namespace {

// Tells the window manager the place and size came from the user, and which
// corner the offsets measure from, so "-0-0" puts the frame's bottom right
// corner, not the window's top left, at the screen's corner.
void SetGeometryHints(Display* display, Window win, int mask, int x, int y, int width, int height) {
  XSizeHints hints{};
  long supplied = 0;
  if (!XGetWMNormalHints(display, win, &hints, &supplied)) hints = XSizeHints{};
  if (mask & (XValue | YValue)) hints.flags |= USPosition;
  if (mask & (WidthValue | HeightValue)) hints.flags |= USSize;
  hints.flags |= PWinGravity;
  bool right = mask & XNegative, bottom = mask & YNegative;
  hints.win_gravity = bottom ? (right ? SouthEastGravity : SouthWestGravity)
                             : (right ? NorthEastGravity : NorthWestGravity);
  hints.x = x;
  hints.y = y;
  hints.width = width;
  hints.height = height;
  XSetWMNormalHints(display, win, &hints);
}

}  // namespace

// Moves and resizes a window by an X geometry string, the record's current
// geometry filling what the string leaves out; the size is kept within the
// record's limits (the maximum wins over the minimum).
int krnSetGeometry(KrnWindow* window, const char* geometry) {
  if (!window || !geometry || !geometry[0]) return 0;
  Display* display = g_korrin.display;
  int px, py;
  unsigned int pw, ph;
  int mask = XParseGeometry(geometry, &px, &py, &pw, &ph);
  if (mask == NoValue) {
    fprintf(stderr, "Warning: bad -geometry value (%s); using the default size and place.\n",
            geometry);
    return 0;
  }
  char def[64];
  snprintf(def, sizeof def, "%dx%d+%d+%d", window->rect.width, window->rect.height, window->rect.x,
           window->rect.y);
  int x = 0, y = 0, width = 0, height = 0;
  // the offsets from the right and bottom count the window's X border
  Window root;
  int gx, gy;
  unsigned int gw, gh, border = 0, depth;
  XGetGeometry(display, window->win, &root, &gx, &gy, &gw, &gh, &border, &depth);
  XGeometry(display, DefaultScreen(display), geometry, def, border, 1, 1, 0, 0, &x, &y, &width,
            &height);
  if (width < window->minWidth) width = window->minWidth;
  if (width > window->maxWidth) width = window->maxWidth;
  if (height < window->minHeight) height = window->minHeight;
  if (height > window->maxHeight) height = window->maxHeight;
  XMoveResizeWindow(display, window->win, x, y, width > 0 ? width : 1, height > 0 ? height : 1);
  SetGeometryHints(display, window->win, mask, x, y, width, height);
  return 1;
}

// Prefixes a relative path with the current directory, in place; null (and
// the path unchanged) when the result would not fit in size bytes.
char* krnConvFullPath(char* path, int size) {
  if (!path || size <= 0) return nullptr;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return nullptr;
  size_t need = strlen(cwd) + strlen(path) + 1;
  if (need >= (size_t)size) return nullptr;
  std::string joined = std::string(cwd) + "/" + path;
  memcpy(path, joined.c_str(), joined.size() + 1);
  return path;
}

// Copies every component of the session's base GC (not the arc mode) and
// removes any clip mask.
int krnResetGC(GC gc) {
  if (!gc || !g_korrin.gc) return 1;
  XCopyGC(g_korrin.display, g_korrin.gc, 0x3FFFFF, gc);
  XSetClipMask(g_korrin.display, gc, None);
  return 1;
}

namespace {

// Appends a copy of r, relative to s, to the array; false after a failure
// (the array is then already freed).
bool AppendRelative(void*** array, KrnRect r, KrnRect s) {
  KrnRect* item = (KrnRect*)krnAlloc(sizeof(KrnRect));
  if (!item) {
    krnFree_ObjArray(*array);
    *array = nullptr;
    return false;
  }
  *item = krnSetRect(r.x - s.x, r.y - s.y, r.width, r.height);
  *array = krnAddItem_ObjArray(*array, item, -1);
  return *array != nullptr;
}

// Windows of other clients may vanish between the listing of the root's
// children and the reading of their attributes.  The error that reading one
// then raises is expected: the window is skipped instead of the default
// handler ending the process.  Other errors go to the handler in force.
XErrorHandler g_outerHandler = nullptr;

int SkipVanishedWindow(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow) return 0;
  return g_outerHandler ? g_outerHandler(display, error) : 0;
}

// Installs SkipVanishedWindow for its lifetime; the syncs keep errors of
// earlier and later requests with the outer handler.
class VanishedWindowsSkipped {
 public:
  explicit VanishedWindowsSkipped(Display* display) : display_(display) {
    XSync(display_, False);
    g_outerHandler = XSetErrorHandler(SkipVanishedWindow);
  }
  ~VanishedWindowsSkipped() {
    XSync(display_, False);
    XSetErrorHandler(g_outerHandler);
  }
  VanishedWindowsSkipped(const VanishedWindowsSkipped&) = delete;
  VanishedWindowsSkipped& operator=(const VanishedWindowsSkipped&) = delete;

 private:
  Display* display_;
};

bool StripsOutsideTop(void*** array, KrnRect s, KrnRect i) {
  const KrnRect strips[4] = {
      krnSetRect(s.x, s.y, s.width, i.y - s.y), krnSetRect(s.x, i.y, i.x - s.x, i.height),
      krnSetRect(i.x + i.width, i.y, s.x + s.width - i.x - i.width, i.height),
      krnSetRect(s.x, i.y + i.height, s.width, s.y + s.height - i.y - i.height)};
  // The raw values are checked before truncation to 16 bits.
  const int widths[4] = {s.width, i.x - s.x, s.x + s.width - i.x - i.width, s.width};
  const int heights[4] = {i.y - s.y, i.height, i.height, s.y + s.height - i.y - i.height};
  for (int k = 0; k < 4; k++) {
    if (strips[k].x < s.x || strips[k].y < s.y || widths[k] <= 0 || heights[k] <= 0) continue;
    if (!AppendRelative(array, strips[k], s)) return false;
  }
  return true;
}

}  // namespace

// Rectangles (in window coordinates) where the window is clipped by its
// top-level window or covered by other mapped screen windows.
void** krnGetStackWindowRect(KrnWindow* window) {
  void** array = krnNew_ObjArray();
  if (!array || !window) return array;
  Display* display = g_korrin.display;
  KrnWindow* top = krnGetTopWindow(window);
  KrnRect s = krnGetScreenCoordinate(window, window->rect);

  XWindowAttributes attrs;
  if (XGetWindowAttributes(display, top->win, &attrs) && attrs.map_state == IsViewable) {
    KrnRect t = top->rect;
    KrnRect i = krnGetInRect(s, t);
    if (memcmp(&i, &s, sizeof i) != 0 && !StripsOutsideTop(&array, s, i)) return nullptr;
  }

  Window rootRet, parentRet, *children = nullptr;
  unsigned int n = 0;
  Window root = RootWindow(display, 0);
  VanishedWindowsSkipped skip(display);
  if (!XQueryTree(display, root, &rootRet, &parentRet, &children, &n)) {
    krnFree_ObjArray(array);
    return nullptr;
  }
  for (unsigned int k = 0; k < n; k++) {
    Window c = children[k];
    if (c == 0 || c == root || c == top->win) continue;
    XWindowAttributes ca;
    if (!XGetWindowAttributes(display, c, &ca) || ca.map_state != IsViewable) continue;
    KrnRect i = krnGetInRect(s, krnSetRect(ca.x, ca.y, ca.width, ca.height));
    if (krnIsEmptyRect(i)) continue;
    if (i.width == window->rect.width && i.height == window->rect.height) continue;
    if (!AppendRelative(&array, i, s)) break;
  }
  if (children) XFree(children);
  return array;
}
