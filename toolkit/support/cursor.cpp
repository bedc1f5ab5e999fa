/*
 * cursor.cpp - the three built-in mouse cursors (pointing hand, wait,
 * I-beam) as X bitmap data, making a cursor from such data, and switching a
 * window subtree between the wait cursor and each window's own cursor.
 */
#include <korrin.h>

namespace {

// 16 x 16 X bitmaps: two bytes per row, least significant bit leftmost.
const unsigned char kFingerSource[] = {
    0x00, 0x00, 0x20, 0x00, 0x20, 0x00, 0x20, 0x00, 0x20, 0x00, 0xa0, 0x0a, 0xa0, 0x0a, 0xa8, 0x0a,
    0xec, 0x1f, 0xec, 0x1f, 0xfc, 0x1f, 0xf8, 0x1f, 0xf8, 0x1f, 0xf0, 0x0f, 0xe0, 0x0f, 0x00, 0x00};
const unsigned char kFingerMask[] = {
    0x70, 0x00, 0x70, 0x00, 0x70, 0x00, 0x70, 0x00, 0xf0, 0x0f, 0xf0, 0x1f, 0xf8, 0x1f, 0xfc, 0x1f,
    0xfe, 0x3f, 0xfe, 0x3f, 0xfe, 0x3f, 0xfc, 0x3f, 0xfc, 0x3f, 0xf8, 0x1f, 0xf0, 0x1f, 0xe0, 0x0f};
const unsigned char kWaitSource[] = {
    0x00, 0x00, 0x08, 0x00, 0x04, 0x00, 0x04, 0x00, 0x34, 0x06, 0x4a, 0x09, 0x4a, 0x69, 0x02, 0x60,
    0x02, 0x00, 0x02, 0x60, 0x02, 0x60, 0x04, 0x40, 0x04, 0x20, 0xe4, 0x03, 0x08, 0x00, 0x00, 0x00};
const unsigned char kWaitMask[] = {0xfe, 0x7f, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                   0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                   0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xfe, 0x7f};
const unsigned char kIbeamSource[] = {
    0x78, 0x0f, 0x88, 0x08, 0x38, 0x0e, 0x60, 0x03, 0x40, 0x01, 0x40, 0x01, 0x40, 0x01, 0x40, 0x01,
    0x40, 0x01, 0x40, 0x01, 0x40, 0x01, 0x40, 0x01, 0x60, 0x03, 0x38, 0x0e, 0x88, 0x08, 0x78, 0x0f};
const unsigned char kIbeamMask[] = {
    0x78, 0x0f, 0xf8, 0x0f, 0xf8, 0x0f, 0xe0, 0x03, 0xc0, 0x01, 0xc0, 0x01, 0xc0, 0x01, 0xc0, 0x01,
    0xc0, 0x01, 0xc0, 0x01, 0xc0, 0x01, 0xc0, 0x01, 0xe0, 0x03, 0xf8, 0x0f, 0xf8, 0x0f, 0x78, 0x0f};

constexpr size_t kCursorBytes = 16 * 2;
static_assert(sizeof kFingerSource == kCursorBytes && sizeof kFingerMask == kCursorBytes, "16x16");
static_assert(sizeof kWaitSource == kCursorBytes && sizeof kWaitMask == kCursorBytes, "16x16");
static_assert(sizeof kIbeamSource == kCursorBytes && sizeof kIbeamMask == kCursorBytes, "16x16");

char* Bits(const unsigned char* bits) {
  return const_cast<char*>(reinterpret_cast<const char*>(bits));
}

}  // namespace

const KrnCursorData res_curFinger = {16, 16, 5, 0, kFingerSource, kFingerMask};
const KrnCursorData res_curWait = {16, 16, 8, 8, kWaitSource, kWaitMask};
const KrnCursorData res_curIbeam = {16, 16, 7, 8, kIbeamSource, kIbeamMask};

// Makes a cursor from built-in bitmap data, white on black; 0 when a bitmap
// or the cursor cannot be made.
Cursor krnLoadCursor(Display* display, const KrnCursorData* data) {
  if (!display || !data || !data->source || !data->mask) return 0;
  Window root = RootWindow(display, 0);
  unsigned int w = static_cast<unsigned int>(data->width);
  unsigned int h = static_cast<unsigned int>(data->height);
  Pixmap source = XCreateBitmapFromData(display, root, Bits(data->source), w, h);
  Pixmap mask = XCreateBitmapFromData(display, root, Bits(data->mask), w, h);
  Cursor cursor = 0;
  if (source && mask) {
    XColor white{}, black{};
    white.pixel = g_korrin.colors[KRN_WHITE];
    white.red = white.green = white.blue = 0xFFFF;
    white.flags = DoRed | DoGreen | DoBlue;
    black.pixel = g_korrin.colors[KRN_BLACK];
    black.flags = DoRed | DoGreen | DoBlue;
    cursor = XCreatePixmapCursor(display, source, mask, &white, &black,
                                 static_cast<unsigned int>(data->xHot),
                                 static_cast<unsigned int>(data->yHot));
  }
  if (source) XFreePixmap(display, source);
  if (mask) XFreePixmap(display, mask);
  return cursor;
}

// Shows the wait cursor on a window and all its descendants; 1, or 0 for a
// null window.  Does not flush.
int krnSetWaitCursor(Display* display, KrnWindow* window) {
  if (!display || !window) return 0;
  XDefineCursor(display, window->win, g_korrin.cursors[KRN_CURSOR_WAIT]);
  if (window->children)
    for (KrnWindow** child = window->children; *child; ++child) krnSetWaitCursor(display, *child);
  return 1;
}

// Gives a window and all its descendants back their own cursor (none:
// the parent's); 1, or 0 for a null window.  Does not flush.
int krnSetNormalCursor(Display* display, KrnWindow* window) {
  if (!display || !window) return 0;
  if (window->defaultCursor)
    XDefineCursor(display, window->win, window->defaultCursor);
  else
    XUndefineCursor(display, window->win);
  if (window->children)
    for (KrnWindow** child = window->children; *child; ++child) krnSetNormalCursor(display, *child);
  return 1;
}
