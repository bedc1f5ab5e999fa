// Temporary stand-ins for modules under construction, with their final
// signatures.  Each is replaced (and deleted here) by its real module.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/korrin_internal.h"

#define STANDIN __attribute__((weak))

/* images and cursors */
extern STANDIN char** const krnStockImageData[KRN_NIMAGES];
char** const krnStockImageData[KRN_NIMAGES] = {};
STANDIN KrnImage* krnLoadImageFromData(Display*, char**, Colormap) {
  return nullptr;
}
STANDIN int krnFreeImage(Display* display, KrnImage* image) {
  if (!image) return 1;
  if (image->pixmap) XFreePixmap(display, image->pixmap);
  if (image->mask) XFreePixmap(display, image->mask);
  if (image->gc) XFreeGC(display, image->gc);
  free(image);
  return 1;
}
STANDIN Pixmap krnCreateMaskImage(Display*, KrnImage*) {
  return 0;
}
STANDIN int krnDrawImageEx(Display* display, Drawable d, GC gc, int x, int y, KrnImage* image,
                           int sx, int sy, int width, int height) {
  if (!image) return 0;
  XCopyArea(display, image->pixmap, d, gc ? gc : image->gc, sx, sy, width, height, x, y);
  return 1;
}
extern STANDIN const KrnCursorData res_curFinger = {16, 16, 5, 0, nullptr, nullptr};
extern STANDIN const KrnCursorData res_curWait = {16, 16, 8, 8, nullptr, nullptr};
extern STANDIN const KrnCursorData res_curIbeam = {16, 16, 7, 8, nullptr, nullptr};
STANDIN Cursor krnLoadCursor(Display*, const KrnCursorData*) {
  return 0;
}

/* image loading, used by the settings for the wallpaper */
STANDIN int krnCheckImageFormat(const char*) {
  return KRN_IMAGE_NONE;
}
STANDIN KrnImage* krnLoadImage(Display*, const char*, Colormap, int) {
  return nullptr;
}
