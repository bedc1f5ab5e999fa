// toolbar.cpp - the tool bar (kind 70): a strip across the top of a window,
// below its menu bar and any earlier tool bars, holding a row of buttons
// (push or toggle) addressed by their place in the row.  The bar is custom:
// WndProc_ToolBar hands its buttons' events to them, so a button callback's
// answer (130 included) becomes the bar's.  krnUpdateWindow_ToolBar keeps it
// as wide as its parent.
#include "controls/button_model.h"
#include "controls/buttonrow.h"
#include "core/korrin_internal.h"

namespace {

bool IsBar(KrnWindow* window) {
  return window && window->windowKind == KRN_KIND_TOOLBAR;
}

// The bar's y: the height of the parent's shown menu bars, and of its shown
// tool bars registered before this one (all of them while this one is not
// registered yet, at creation).
int GetPos(KrnWindow* bar, KrnWindow* parent) {
  int y = 0;
  bool past = false;
  for (KrnWindow** w = g_krnKorrinManager; w && *w; w++) {
    if (*w == bar) past = true;
    if ((*w)->parent != parent || !(*w)->shown) continue;
    if ((*w)->windowKind == KRN_KIND_MENUBAR) y += krnGetHeight_MenuBar();
    if ((*w)->windowKind == KRN_KIND_TOOLBAR && *w != bar && !past) y += krnGetHeight_ToolBar();
  }
  return y;
}

// The button at index for the attach lookup, whose rule takes -1 for the
// last button and other negative indexes for the first.
KrnWindow* AttachButtonAt(KrnWindow* bar, int index) {
  return krnGetChildWindowFromIndex(bar, btn::AttachIndex(index, krnGetTotalChildWindows(bar)));
}

// The button at exactly index: any other operation by index names no
// button with a negative index or one past the row.
KrnWindow* ButtonAt(KrnWindow* bar, int index) {
  return index >= 0 ? krnGetChildWindowFromIndex(bar, index) : nullptr;
}

}  // namespace

int krnGetHeight_ToolBar(void) {
  return btn::ToolBarHeight(krnGetCharHeight(nullptr));
}

// Events of the bar's buttons go to the buttons; the bar itself only needs
// the default work (it draws nothing of its own).
int WndProc_ToolBar(Display* display, KrnWindow* bar, XEvent* event) {
  if (!bar || !event) return 0;
  if (KrnWindow* button = krnGetChildWindowFromXWindow(bar, event->xany.window)) {
    button->result = bar->result;
    return WndProc_Button(display, button, event);
  }
  if (event->xany.window != bar->win) return bar->result;
  return krnWndProc_Default(display, bar, event);
}

// Creates the bar across the parent, stacked under its menu bar and earlier
// tool bars; null for a null parent or on failure.
KrnWindow* krnCreateWindow_ToolBar(Display* display, KrnWindow* parent, const char* name) {
  if (!parent) return nullptr;
  int y = GetPos(nullptr, parent);
  KrnRect rect = krnSetRect(0, y, parent->rect.width, krnGetHeight_ToolBar());
  KrnWindow* bar = krnCreateWindow(display, parent, rect, 1, name, WndProc_ToolBar);
  if (!bar) return nullptr;
  bar->shown = 1;
  krnSetWindowKind(bar, KRN_KIND_TOOLBAR);
  krnSetCustom(bar, 1);
  krnSetRedrawBuffer(bar, 1);
  krnSetUpdateWindowCallback(bar, krnUpdateWindow_ToolBar);
  return bar;
}

// Adds a button at index (-1 or past the end appends); the buttons from
// index on move right to make room.
int krnAddButton_ToolBar(Display* display, KrnWindow* bar, const char* caption,
                         KrnEventCallback callback, KrnImage* icon, int index) {
  if (!IsBar(bar)) return 0;
  index = btn::InsertIndex(index, krnGetTotalChildWindows(bar));
  int w =
      btn::AddedWidth(buttonrow::CaptionWidth(caption), buttonrow::Empty(caption), icon != nullptr);
  KrnRect rect = krnSetRect(0, 4, w, krnGetHeight_ToolBar() - 8);
  KrnWindow* button = krnCreateWindow_Button(display, bar, rect, caption, icon, callback);
  if (!button) return 0;
  buttonrow::MoveLastTo(bar, index);
  buttonrow::Repack(display, bar, true, 0);
  return 1;
}

// Removes the button at index (negative: the last) and closes the gap.
int krnDeleteButton_ToolBar(KrnWindow* bar, int index) {
  if (!IsBar(bar)) return 0;
  index = btn::DeleteIndex(index, krnGetTotalChildWindows(bar));
  if (index < 0) return 1;
  krnDestroyWindow(g_korrin.display, krnGetChildWindowFromIndex(bar, index));
  buttonrow::Repack(g_korrin.display, bar, true, 0);
  return 1;
}

// Gives the button at index a new callback, icon and caption; a new caption
// or an icon gained or lost resizes it and moves the later buttons along.
int krnChangeButton_ToolBar(Display* display, KrnWindow* bar, const char* caption,
                            KrnEventCallback callback, KrnImage* icon, int index) {
  if (!IsBar(bar)) return 0;
  KrnWindow* button = ButtonAt(bar, index);
  if (!button) return 1;
  krnSetEventCallback_Button(button, callback);
  if (!buttonrow::SetFace(button, caption, icon)) return 1;
  buttonrow::SetWidth(display, button,
                      btn::ChangedWidth(buttonrow::CaptionWidth(caption), icon != nullptr));
  buttonrow::Repack(display, bar, true, 0);
  return 1;
}

int krnGetButton_ToolBar(KrnWindow* bar, int index) {
  return IsBar(bar) ? krnGetButton_Button(ButtonAt(bar, index)) : 0;
}

// Sets a button's down state without its callback: 110, 120, or 0 when it
// was already so or there is no such button.
int krnSetButton_ToolBar(KrnWindow* bar, int index, int state) {
  return IsBar(bar) ? krnSetButton_Button(ButtonAt(bar, index), state) : 0;
}

// Makes the button at index a toggle button or a push button again; 0 when
// there is no such button.
int krnSetToggle_ToolBar(KrnWindow* bar, int index, int toggle) {
  if (!IsBar(bar)) return 0;
  return krnSetToggle_Button(ButtonAt(bar, index), toggle);
}

// Follows the parent's width (and the bars above it) after the parent was
// reconfigured.
int krnUpdateWindow_ToolBar(KrnWindow* bar) {
  if (!IsBar(bar) || !bar->parent) return 0;
  KrnRect want =
      krnSetRect(bar->rect.x, GetPos(bar, bar->parent), bar->parent->rect.width, bar->rect.height);
  const KrnRect& now = bar->rect;
  if (want.y != now.y || want.width != now.width) krnMoveResizeWindow(bar, want);
  return 1;
}

KrnWindow* krnGetAttachButtonWnd_ToolBar(KrnWindow* bar, int index) {
  return IsBar(bar) ? AttachButtonAt(bar, index) : nullptr;
}
