// button.cpp - the push button (kind 40): a child window with a caption and
// an optional icon, raised when up and sunken when down, that reports clicks
// to its event callback; made a toggle button it stays down until clicked
// again.  The press and release rules live in button_model.cpp; this file
// creates the window, draws it and runs WndProc_Button.
#include <stdlib.h>
#include <string.h>

#include "controls/button_model.h"
#include "core/korrin_internal.h"

namespace {

// The button's private record (the window's option).
struct ButtonData {
  btn::State state;  // down, toggle, turned-on and pressed marks
  KrnImage* icon;    // drawn beside the caption; the caller's, not owned
};

ButtonData* Data(KrnWindow* window) {
  if (!window || window->windowKind != KRN_KIND_BUTTON) return nullptr;
  return static_cast<ButtonData*>(window->option);
}

// Paints the face into the redraw buffer and copies it to the screen.
void Draw(Display* display, KrnWindow* button, const ButtonData* d) {
  krnClearWindow(display, button, 1);
  KrnRect face = krnSetRect(0, 0, button->rect.width - 1, button->rect.height - 1);
  krnDrawButton(display, krnGetDraw(button), face, button->name, d->icon, d->state.down);
  krnRedrawWindow(display, button);
}

bool Inside(KrnWindow* button, int x, int y) {
  return krnPointInRect(x, y, krnSetRect(0, 0, button->rect.width, button->rect.height));
}

// Draws, then tells the owner; the callback's 130 ends the loop, anything
// else leaves the reported code as the answer.  The button may be gone
// after the callback, so nothing touches it afterwards.
int Report(Display* display, KrnWindow* button, ButtonData* d, int code) {
  Draw(display, button, d);
  int answer = krnCallEventCallback(button, code, d->state.down, 0);
  return answer == KRN_QUIT ? KRN_QUIT : code;
}

int OnMouse(Display* display, KrnWindow* button, ButtonData* d, const XButtonEvent& ev,
            int result) {
  bool inside = Inside(button, ev.x, ev.y);
  btn::Step step =
      ev.type == ButtonPress ? btn::Press(d->state, inside) : btn::Release(d->state, inside);
  if (step.report) return Report(display, button, d, step.report);
  if (step.redraw) Draw(display, button, d);
  return result;
}

}  // namespace

// The button's procedure: the default work first, then the mouse rules and
// the drawing.  Answers 110 or 120 when it reported a click, else the
// default procedure's answer.
int WndProc_Button(Display* display, KrnWindow* button, XEvent* event) {
  if (!button || !event) return 0;
  if (event->xany.window != button->win) return button->result;
  int result = krnWndProc_Default(display, button, event);
  ButtonData* d = Data(button);
  if (!d) return result;
  switch (event->type) {
    case ButtonPress:
    case ButtonRelease:
      return OnMouse(display, button, d, event->xbutton, result);
    case MapNotify:
    case ConfigureNotify:
    case KRN_EV_REDRAW:
      Draw(display, button, d);
      break;
    default:
      break;
  }
  return result;
}

// Creates an up, ordinary button; null when the window or its record cannot
// be made.
KrnWindow* krnCreateWindow_Button(Display* display, KrnWindow* parent, KrnRect rect,
                                  const char* caption, KrnImage* icon, KrnEventCallback callback) {
  KrnWindow* button = krnCreateWindow(display, parent, rect, 0, caption, WndProc_Button);
  if (!button) return nullptr;
  ButtonData* d = static_cast<ButtonData*>(krnAlloc(sizeof(ButtonData)));
  if (!d) {
    krnDestroyWindow(display, button);
    return nullptr;
  }
  memset(d, 0, sizeof *d);
  d->icon = icon;
  krnSetWindowKind(button, KRN_KIND_BUTTON);
  krnSetOption(button, d);
  krnSetCustom(button, 1);
  krnSetRedrawBuffer(button, 1);
  krnSetDefaultCursor(button, g_korrin.cursors[KRN_CURSOR_FINGER]);
  krnSetEventCallback(button, callback);
  // The face goes into the buffer now: a button whose map notification is
  // swallowed (a modal dialog opened before the loop saw it) still shows
  // its face on every exposure.
  Draw(display, button, d);
  return button;
}

int krnGetButton_Button(KrnWindow* button) {
  ButtonData* d = Data(button);
  return d ? d->state.down : 0;
}

// Sets the down state without a callback: 110 when it went down, 120 when it
// came up, 0 when it already was so.
int krnSetButton_Button(KrnWindow* button, int state) {
  ButtonData* d = Data(button);
  if (!d) return 0;
  state = state ? 1 : 0;
  if (state == d->state.down) return 0;
  d->state.down = state;
  d->state.turnedOn = 0;
  krnSendEvent(button, KRN_EV_REDRAW);
  return state ? KRN_OK : KRN_CANCEL;
}

int krnSetToggle_Button(KrnWindow* button, int toggle) {
  ButtonData* d = Data(button);
  if (!d) return 0;
  toggle = toggle ? 1 : 0;
  if (toggle != d->state.toggle) {
    d->state.toggle = toggle;
    d->state.turnedOn = 0;
    krnSendEvent(button, KRN_EV_REDRAW);
  }
  return 1;
}

const char* krnGetCaption_Button(KrnWindow* button) {
  return Data(button) ? button->name : nullptr;
}

// Changes the caption (and redraws) only when the text differs.
int krnSetCaption_Button(KrnWindow* button, const char* caption) {
  if (!Data(button)) return 0;
  if (strcmp(button->name ? button->name : "", caption ? caption : "") != 0)
    krnSetCaption(button, caption);
  return 1;
}

KrnImage* krnGetIcon_Button(KrnWindow* button) {
  ButtonData* d = Data(button);
  return d ? d->icon : nullptr;
}

int krnSetIcon_Button(KrnWindow* button, KrnImage* icon) {
  ButtonData* d = Data(button);
  if (!d) return 0;
  if (icon != d->icon) {
    d->icon = icon;
    krnSendEvent(button, KRN_EV_REDRAW);
  }
  return 1;
}

int krnSetEventCallback_Button(KrnWindow* button, KrnEventCallback callback) {
  if (!Data(button)) return 0;
  return krnSetEventCallback(button, callback);
}
