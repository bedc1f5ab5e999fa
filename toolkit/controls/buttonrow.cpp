// buttonrow.cpp - the row of buttons that the tool bar and the select button
// keep as their child windows (see the header).
#include "controls/buttonrow.h"

#include <string.h>

#include "controls/button_model.h"
#include "core/korrin_internal.h"

namespace buttonrow {

std::vector<KrnWindow*> Buttons(KrnWindow* parent) {
  std::vector<KrnWindow*> out;
  for (KrnWindow** c = parent->children; c && *c; c++) out.push_back(*c);
  return out;
}

int IndexOf(KrnWindow* parent, Window xwindow) {
  int i = 0;
  for (KrnWindow** c = parent->children; c && *c; c++, i++)
    if ((*c)->win == xwindow) return i;
  return -1;
}

void Repack(Display* display, KrnWindow* parent, bool horizontal, int start) {
  std::vector<KrnWindow*> buttons = Buttons(parent);
  std::vector<int> extents;
  for (KrnWindow* b : buttons) extents.push_back(horizontal ? b->rect.width : b->rect.height);
  std::vector<int> at = btn::Pack(start, extents);
  for (size_t i = 0; i < buttons.size(); i++) {
    KrnWindow* b = buttons[i];
    short& pos = horizontal ? b->rect.x : b->rect.y;
    if (pos == at[i]) continue;
    pos = static_cast<short>(at[i]);
    XMoveWindow(display, b->win, b->rect.x, b->rect.y);
  }
}

void MoveLastTo(KrnWindow* parent, int index) {
  KrnWindow** list = parent->children;
  int n = krnListCount(list);
  if (!list || index < 0 || index >= n - 1) return;
  KrnWindow* last = list[n - 1];
  for (int i = n - 1; i > index; i--) list[i] = list[i - 1];
  list[index] = last;
}

void SetWidth(Display* display, KrnWindow* child, int width) {
  child->rect.width = static_cast<unsigned short>(width > 0 ? width : 0);
  // X refuses windows without width or height: such a button is one pixel.
  XResizeWindow(display, child->win, width > 0 ? width : 1,
                child->rect.height ? child->rect.height : 1);
}

int CaptionWidth(const char* caption) {
  return caption ? krnTextWidth(reinterpret_cast<const unsigned char*>(caption)) : 0;
}

bool Empty(const char* text) {
  return !text || !text[0];
}

bool SetFace(KrnWindow* button, const char* caption, KrnImage* icon) {
  const char* now = krnGetCaption_Button(button);
  bool sameCaption = strcmp(now ? now : "", caption ? caption : "") == 0;
  bool sameIconPresence = (krnGetIcon_Button(button) != nullptr) == (icon != nullptr);
  krnSetIcon_Button(button, icon);
  if (sameCaption && sameIconPresence) return false;
  krnSetCaption_Button(button, caption);
  return true;
}

}  // namespace buttonrow
