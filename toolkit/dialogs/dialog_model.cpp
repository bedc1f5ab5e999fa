// dialog_model.cpp - geometry and key rules of the text and about dialogs
// (see dialog_model.h); no X here, so the rules are tested directly.
#include "dialogs/dialog_model.h"

#include <stdint.h>

namespace dlg {

bool KeyGate::Accept(unsigned long time, int interval) {
  uint32_t since = static_cast<uint32_t>(time) - static_cast<uint32_t>(last_);
  if (any_ && since < static_cast<uint32_t>(interval > 0 ? interval : 0)) return false;
  any_ = true;
  last_ = time;
  return true;
}

bool TextDlgShown(const Box& remembered) {
  return remembered.x != kTextDlgFirst.x && remembered.y != kTextDlgFirst.y;
}

Box TextDlgBox(int w, int h) {
  return {5, 5, w - 10, h - 35};
}

Box TextDlgOk(int w, int h) {
  return {w / 2 - 16, h - 25, 32, 20};
}

int TextDlgLineDown(int pos, int nLines, int boxHeight, int lineHeight) {
  if (lineHeight <= 0) return pos;
  int fit = (boxHeight - 1) / lineHeight;
  return pos < nLines - fit ? pos + 1 : pos;
}

int TextDlgLineUp(int pos) {
  return pos > 0 ? pos - 1 : pos;
}

AboutLayout AboutLayoutOf(int w, int h, int pw, int ph) {
  AboutLayout l;
  l.text = pw > 0 ? Box{pw + 20, 5, w - pw - 30, h - 40} : Box{10, 5, w - 20, h - 40};
  l.ok = {(w - 60) / 2, h - 30, 60, 25};
  if (w < 260) {
    l.text.width = 240 - (pw > 0 ? pw : 0);
    l.ok.x = 100;
  }
  if (h <= 74) {
    l.text.height = 35;
    l.ok.y = 45;
  }
  l.pictureY = (h - ph - 30) / 2;
  return l;
}

}  // namespace dlg
