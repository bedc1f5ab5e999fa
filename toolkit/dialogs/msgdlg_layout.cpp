// msgdlg_layout.cpp - the message dialog's layout rules (see the header).
#include "dialogs/msgdlg_layout.h"

namespace msgdlg {

bool HasOk(int style) {
  return (style & 0x01) != 0;
}

bool HasCancel(int style) {
  return (style & 0x02) != 0;
}

Layout LayoutOf(int style, int w, int h) {
  Layout l{{10, 5, w - 20, h - 40}, -1, -1, h - 30};
  int right = w - 70, left = w - 140;
  if (w < 260) {
    l.text.width = 240;
    right = 190;
    left = 120;
  }
  if (h < 75) {
    l.text.height = 35;
    l.buttonY = 45;
  }
  bool ok = HasOk(style), cancel = HasCancel(style);
  if (ok && cancel) {
    l.okX = left;
    l.cancelX = right;
  } else if (ok) {
    l.okX = right;
  } else if (cancel) {
    l.cancelX = right;
  }
  return l;
}

int IconY(int h) {
  return h <= 75 ? 45 : h - 30;
}

}  // namespace msgdlg
