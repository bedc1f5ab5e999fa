// textentry.cpp - helpers shared by the text-entry controls; see textentry.h.
#include "controls/textentry.h"

#include <stdlib.h>
#include <string.h>

#include "controls/menu_model.h"
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

unsigned int PrimaryButton(int rightHand, int mouseButtons) {
  if (rightHand || mouseButtons == 1) return Button1;
  return mouseButtons == 2 ? Button2 : Button3;
}

unsigned int PasteButton(int rightHand, int mouseButtons) {
  unsigned int taken1 = PrimaryButton(rightHand, mouseButtons);
  unsigned int taken2 = menumodel::ContextButton(rightHand, mouseButtons);
  if (taken1 != Button2 && taken2 != Button2) return Button2;
  return taken1 != Button3 && taken2 != Button3 ? Button3 : Button1;
}

char* PasteText(int selection, const char* own) {
  if (!g_korrin.display) return own ? strdup(own) : nullptr;
  return krnGetSelectionText(selection, nullptr);
}

}  // namespace textentry
