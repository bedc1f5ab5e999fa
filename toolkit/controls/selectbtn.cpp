// selectbtn.cpp - the select button (kind 140): a labelled group of mutually
// exclusive toggle buttons in a row or a column inside a sunken frame.  The
// group is custom: WndProc_SelectButton hands its buttons' events to them and
// turns a button going down into "this one is selected".  Layout arithmetic
// lives in button_model.cpp, the row handling in buttonrow.cpp.
#include "controls/button_model.h"
#include "controls/buttonrow.h"
#include "core/korrin_internal.h"

namespace {

// The group's private record (the window's option).
struct SelectButtonData {
  int selected;    // index of the button last selected, -1 for none
  int horizontal;  // 1: buttons in a row right of the label; else a column below it
};

SelectButtonData* Data(KrnWindow* window) {
  if (!window || window->windowKind != KRN_KIND_SELECTBTN) return nullptr;
  return static_cast<SelectButtonData*>(window->option);
}

btn::SelectLayout LayoutOf(KrnWindow* group, const SelectButtonData* d) {
  return btn::SelectLayout{d->horizontal == 1,
                           buttonrow::Empty(group->name) ? 0 : buttonrow::CaptionWidth(group->name),
                           krnGetCharHeight(nullptr), group->rect.height};
}

void Repack(Display* display, KrnWindow* group, const SelectButtonData* d) {
  btn::SelectLayout l = LayoutOf(group, d);
  buttonrow::Repack(display, group, l.horizontal,
                    l.horizontal ? btn::SelectFirstX(l) : btn::SelectFirstY(l));
}

// Clear, label, sunken frame, then the buffer to the screen.
void Draw(Display* display, KrnWindow* group, const SelectButtonData* d) {
  krnClearWindow(display, group, 1);
  Pixmap buffer = krnGetDraw(group);
  if (!buttonrow::Empty(group->name))
    krnDrawText(display, buffer, nullptr, nullptr, group->foreFontColor, KRN_TRANSPARENT, 5,
                btn::SelectLabelY(LayoutOf(group, d)),
                reinterpret_cast<const unsigned char*>(group->name));
  krnDraw3DRectangle(display, buffer,
                     krnSetRect(0, 0, group->rect.width - 1, group->rect.height - 1), 0);
  krnRedrawWindow(display, group);
}

// An event for the button at index.  A button that is down ignores the
// mouse, so the selection cannot be switched off by clicking it again.
int ForButton(Display* display, KrnWindow* group, SelectButtonData* d, int index, XEvent* event) {
  KrnWindow* button = krnGetChildWindowFromIndex(group, index);
  bool mouse = event->type == ButtonPress || event->type == ButtonRelease;
  if (mouse && krnGetButton_Button(button)) return group->result;
  button->result = group->result;
  int answer = WndProc_Button(display, button, event);
  if (answer != KRN_OK) return answer;
  d->selected = index;
  for (KrnWindow* other : buttonrow::Buttons(group))
    if (other != button) krnSetButton_Button(other, 0);
  return krnCallEventCallback(group, KRN_SELECT, index, 0) == KRN_QUIT ? KRN_QUIT : KRN_SELECT;
}

}  // namespace

int WndProc_SelectButton(Display* display, KrnWindow* group, XEvent* event) {
  if (!group || !event) return 0;
  SelectButtonData* d = Data(group);
  if (!d) return group->result;
  int index = buttonrow::IndexOf(group, event->xany.window);
  if (index >= 0) return ForButton(display, group, d, index, event);
  if (event->xany.window != group->win) return group->result;
  int result = krnWndProc_Default(display, group, event);
  if (event->type == MapNotify || event->type == ConfigureNotify || event->type == KRN_EV_REDRAW)
    Draw(display, group, d);
  return result;
}

// Creates an empty group; horizontal 1 lays its buttons out in a row.
KrnWindow* krnCreateWindow_SelectButton(Display* display, KrnWindow* parent, KrnRect rect,
                                        const char* label, int horizontal,
                                        KrnEventCallback callback) {
  KrnWindow* group = krnCreateWindow(display, parent, rect, 0, label, WndProc_SelectButton);
  if (!group) return nullptr;
  SelectButtonData* d = static_cast<SelectButtonData*>(krnAlloc(sizeof(SelectButtonData)));
  if (!d) {
    krnDestroyWindow(display, group);
    return nullptr;
  }
  d->selected = -1;
  d->horizontal = horizontal;
  krnSetWindowKind(group, KRN_KIND_SELECTBTN);
  krnSetOption(group, d);
  krnSetCustom(group, 1);
  krnSetRedrawBuffer(group, 1);
  krnSetEventCallback(group, callback);
  Draw(display, group, d);  // in the buffer before any map notification, as buttons are
  return group;
}

// Adds a toggle button at index (-1 or past the end appends); the buttons
// from index on make room for it.
int krnAddButton_SelectButton(Display* display, KrnWindow* group, const char* caption,
                              KrnImage* icon, int index) {
  SelectButtonData* d = Data(group);
  if (!d) return 0;
  int n = krnGetTotalChildWindows(group);
  index = btn::InsertIndex(index, n);
  btn::SelectLayout l = LayoutOf(group, d);
  int w = btn::SelectButtonWidth(buttonrow::CaptionWidth(caption), buttonrow::Empty(caption),
                                 icon != nullptr);
  int h = btn::SelectButtonHeight(l);
  KrnRect rect = krnSetRect(btn::SelectFirstX(l), btn::SelectFirstY(l), w, h);
  KrnWindow* button = krnCreateWindow_Button(display, group, rect, caption, icon, nullptr);
  if (!button) return 0;
  krnSetToggle_Button(button, 1);
  buttonrow::MoveLastTo(group, index);
  Repack(display, group, d);
  return 1;
}

// Removes the button at index (negative: the last); past the end changes
// nothing.  The selected index is left as it is.
int krnDeleteButton_SelectButton(KrnWindow* group, int index) {
  SelectButtonData* d = Data(group);
  if (!d) return 0;
  index = btn::DeleteIndex(index, krnGetTotalChildWindows(group));
  if (index < 0) return 1;
  krnDestroyWindow(g_korrin.display, krnGetChildWindowFromIndex(group, index));
  Repack(g_korrin.display, group, d);
  return 1;
}

// Changes the caption and icon of the button at index; a new caption or an
// icon gained or lost resizes it, and in a row the later buttons follow.
int krnChangeButton_SelectButton(Display* display, KrnWindow* group, const char* caption,
                                 KrnImage* icon, int index) {
  SelectButtonData* d = Data(group);
  if (!d) return 0;
  KrnWindow* button = index >= 0 ? krnGetChildWindowFromIndex(group, index) : nullptr;
  if (!button) return 1;
  if (!buttonrow::SetFace(button, caption, icon)) return 1;
  buttonrow::SetWidth(display, button, buttonrow::CaptionWidth(caption) + 10 + (icon ? 20 : 0));
  Repack(display, group, d);
  return 1;
}

// Marks the button at index as selected and pushes it down, without a
// callback; the other buttons are left as they are.
int krnSelect_SelectButton(KrnWindow* group, int index) {
  SelectButtonData* d = Data(group);
  if (!d) return 0;
  index = btn::AttachIndex(index, krnGetTotalChildWindows(group));
  if (index < 0) return 0;
  d->selected = index;
  krnSetButton_Button(krnGetChildWindowFromIndex(group, index), 1);
  return 1;
}

int krnGetSelectIndex_SelectButton(KrnWindow* group) {
  SelectButtonData* d = Data(group);
  return d ? d->selected : -1;
}

KrnWindow* krnGetAttachButtonWnd_SelectButton(KrnWindow* group, int index) {
  if (!Data(group)) return nullptr;
  return krnGetChildWindowFromIndex(group, btn::AttachIndex(index, krnGetTotalChildWindows(group)));
}

int krnSetEventCallback_SelectButton(KrnWindow* group, KrnEventCallback callback) {
  if (!Data(group)) return 0;
  return krnSetEventCallback(group, callback);
}
