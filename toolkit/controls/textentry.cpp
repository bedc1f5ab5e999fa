// textentry.cpp - helpers shared by the text-entry controls; see textentry.h.
#include "controls/textentry.h"

#include "support/xmeasure.h"

namespace textentry {

KeySym KeySymOf(XEvent* event) {
  if (g_korrin.tenKey) return krnConvertTenKeyCode(event->xkey);
  return XLookupKeysym(&event->xkey, krnGetShiftState(event->xkey));
}

bool ButtonShift(const XButtonEvent& button) {
  XKeyEvent key{};
  key.state = button.state;
  return krnGetShiftState(key) != 0;
}

// Looked up once per background rather than at every stroke.
unsigned long CaretColor(Display* display, KrnWindow* window) {
  static bool known = false;
  static unsigned long back = 0, caret = 0;
  if (!known || back != window->backColor) {
    int r = 0, g = 0, b = 0;
    krnGetRGB(display, g_korrin.colormap, window->backColor, &r, &g, &b);
    caret = krnGetAlterColor(display, g_korrin.colormap, r, g, b, KRN_SHADE_CONTRAST);
    back = window->backColor;
    known = true;
  }
  return caret;
}

int TextWidth(void*, const unsigned char* bytes, int length, int x) {
  return krnx::TabbedWidth(bytes, length, x);
}

}  // namespace textentry
