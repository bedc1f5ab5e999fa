// inputwnd.cpp - the single-line input window "InputWnd" (kind 110): a
// one-line text field with caret, selection, copy buffer and horizontal
// scrolling, painted whole into its redraw buffer.  It has no callback: its
// owner reads the text when it needs it.  The rules live in the X-free
// inputwnd_model.cpp; this file turns events into them and draws.
#include <stdlib.h>
#include <string.h>

#include <X11/keysym.h>

#include "controls/inputwnd_model.h"
#include "controls/textentry.h"
#include "support/xmeasure.h"

namespace {

InputWndData* Data(KrnWindow* window) {
  if (!window || window->windowKind != KRN_KIND_INPUTWND) return nullptr;
  return static_cast<InputWndData*>(window->option);
}

iw::Field FieldOf(KrnWindow* window, InputWndData* d) {
  return iw::Field{d, window->rect.width, g_korrin.charCode, textentry::TextWidth, nullptr};
}

// Top of the text row: the line is centred vertically.
int RowTop(KrnWindow* window) {
  return (window->rect.height - krnGetCharHeight(nullptr)) / 2;
}

const unsigned char* U(const char* s) {
  return reinterpret_cast<const unsigned char*>(s);
}

// Paints the whole field into the redraw buffer and shows it.
int Draw(Display* display, KrnWindow* window) {
  InputWndData* d = Data(window);
  if (!d) return 0;
  iw::Field f = FieldOf(window, d);
  int m = iw::Margin(d), y = RowTop(window), h = krnGetCharHeight(nullptr);
  int length = iw::Length(d);
  krnClearWindow(display, window, 1);
  Pixmap buffer = krnGetDraw(window);
  KrnRect all = krnSetRect(0, 0, window->rect.width, window->rect.height);
  int origin = iw::TextOriginX(f);  // tab stops count from the text's start
  if (d->firstVisible < length)
    krnx::DrawTabbedText(display, buffer, all, window->foreFontColor, KRN_TRANSPARENT, m, y,
                         U(d->text + d->firstVisible), length - d->firstVisible, origin);
  if (d->selectLen != 0) {
    krnx::DrawTabbedText(display, buffer, all, window->backFontColor, window->foreFontColor,
                         iw::SelectX(f), y, U(d->selectText),
                         static_cast<int>(strlen(d->selectText)), origin);
  } else {
    int x = iw::CaretX(f);
    unsigned long pixel = textentry::CaretColor(display, window);
    krnDrawLine(display, buffer, pixel, krnSetRect(x, y, 0, h - 1));
    krnDrawLine(display, buffer, pixel, krnSetRect(x + 1, y, 0, h - 1));
  }
  krnDraw3DRectangle(display, buffer,
                     krnSetRect(0, 0, window->rect.width - 1, window->rect.height - 1), 0);
  krnRedrawWindow(display, window);
  return 1;
}

// Sends the caret position to the input method as the pre-edit spot.
void MovePreedit(KrnWindow* window) {
  InputWndData* d = Data(window);
  iw::Field f = FieldOf(window, d);
  XPoint spot;
  spot.x = static_cast<short>(iw::CaretX(f));
  spot.y = static_cast<short>(RowTop(window) + krnGetCharHeight(nullptr));
  krnMovePreedit_XIM(window, spot);
}

// A selection made by the user becomes the primary selection.
void OwnPrimary(InputWndData* d) {
  if (d->selectLen != 0) krnSetSelectionText(KRN_SEL_PRIMARY, d->selectText, -1, 0);
}

// Runs a key or mouse handler; a selection it made or changed becomes the
// primary selection.
template <typename Handler>
void Selecting(KrnWindow* window, InputWndData* d, Handler handle) {
  int caret = d->caret, length = d->selectLen;
  handle();
  if (CheckKrnPointer(window) && (d->caret != caret || d->selectLen != length)) OwnPrimary(d);
}

void Finish(Display* display, KrnWindow* window, const iw::Outcome& out) {
  if (out.bell) krnBell();
  if (!out.paint) return;
  Draw(display, window);
  MovePreedit(window);
}

struct KeyRule {
  KeySym sym;
  iw::Key key;
};

// Return, Tab, Up, Down and every other key are left to the owner.
const KeyRule kKeyRules[] = {
    {XK_Left, iw::kLeft},           {XK_Right, iw::kRight},   {XK_Home, iw::kHome},
    {XK_Prior, iw::kHome},          {XK_End, iw::kEnd},       {XK_Next, iw::kEnd},
    {XK_BackSpace, iw::kBackSpace}, {XK_Delete, iw::kDelete},
};

// Control and Alt are not filtered: a Control combination that the
// keyboard maps to a character types it.
void OnKeyPress(Display* display, KrnWindow* window, XEvent* event) {
  InputWndData* d = Data(window);
  int n = 0;
  char* s = krnGetString(window, event, &n);
  KeySym sym = textentry::KeySymOf(event);
  d->shift = krnGetShiftKey(event->xkey);
  iw::Field f = FieldOf(window, d);
  if (s && n > 0 && ((sym >= 0x20 && sym <= 0x7E) || sym == 0)) {
    Finish(display, window, iw::TypeText(f, s, n));
    return;
  }
  for (const KeyRule& rule : kKeyRules)
    if (rule.sym == sym) {
      Finish(display, window, iw::PressKey(f, rule.key, d->shift != 0));
      return;
    }
}

// The paste button puts the caret under the pointer and inserts the
// primary selection there.
void PastePrimary(KrnWindow* window, XEvent* event) {
  char* text = textentry::PasteText(KRN_SEL_PRIMARY, nullptr);
  // The owner was asked while paint events were served: the field may be gone.
  if (text && CheckKrnPointer(window)) {
    iw::Field f = FieldOf(window, Data(window));
    iw::SetCaretPos(f, iw::ClickTarget(f, event->xbutton.x));
    krnAddText_InputWnd(window, text);
  }
  free(text);
}

void OnButtonPress(Display* display, KrnWindow* window, XEvent* event) {
  if (event->xbutton.button ==
      textentry::PasteButton(g_korrin.mouseRightHand, g_korrin.mouseButtons)) {
    PastePrimary(window, event);
    return;
  }
  InputWndData* d = Data(window);
  iw::Field f = FieldOf(window, d);
  Finish(display, window,
         iw::PressButton(f, event->xbutton.x, static_cast<uint32_t>(event->xbutton.time),
                         textentry::ButtonShift(event->xbutton), g_korrin.doubleClickTime));
}

bool Handles(KrnWindow* window, InputWndData* d, XEvent* event) {
  if (event->xany.window == window->win) return true;
  return d->foreignKeys && (event->type == KeyPress || event->type == KeyRelease);
}

}  // namespace

// The field's window procedure: the default procedure's answer (the field
// calls no callback), 1 for the destroy event.
int WndProc_InputWnd(Display* display, KrnWindow* window, XEvent* event) {
  InputWndData* d = Data(window);
  if (!d || !event) return window ? window->result : 0;
  if (!Handles(window, d, event)) return window->result;
  int result = krnWndProc_Default(display, window, event);
  iw::Field f = FieldOf(window, d);
  switch (event->type) {
    case KeyPress:
      Selecting(window, d, [&] { OnKeyPress(display, window, event); });
      break;
    case KeyRelease:
      d->shift = krnGetShiftKey(event->xkey);
      break;
    case ButtonPress:
      if (event->xany.window != window->win) break;
      krnSetFocusWindow(window);
      Selecting(window, d, [&] { OnButtonPress(display, window, event); });
      break;
    case ButtonRelease:
      d->buttonDown = 0;
      break;
    case MotionNotify:
      if (d->buttonDown)
        Selecting(window, d, [&] { Finish(display, window, iw::DragTo(f, event->xmotion.x)); });
      break;
    case EnterNotify:
    case FocusIn:
      krnSetFocusIC_XIM(window);
      MovePreedit(window);
      break;
    case FocusOut:
      krnUnsetFocusIC_XIM(window);
      break;
    case MapNotify:
    case KRN_EV_UPDATE:
    case KRN_EV_REDRAW:
      Draw(display, window);
      break;
    case ConfigureNotify:
      if (event->xconfigure.window == window->win) {
        iw::KeepInView(f);
        Draw(display, window);
        MovePreedit(window);
      }
      break;
    case KRN_EV_DESTROY:
      free(d->copyText);
      d->copyText = nullptr;
      krnDetachIM(window, 1);
      return 1;
    default:
      break;
  }
  return result;
}

// Creates the field with a copy of text (null = empty; 1024 bytes or more
// leave it empty with a message); null when the window cannot be made.
KrnWindow* krnCreateWindow_InputWnd(Display* display, KrnWindow* parent, KrnRect rect,
                                    const char* name, const char* text, int foreignKeys) {
  KrnWindow* window = krnCreateWindow(display, parent, rect, 0, name, WndProc_InputWnd);
  if (!window) return nullptr;
  krnSetWindowKind(window, KRN_KIND_INPUTWND);
  InputWndData* d = static_cast<InputWndData*>(krnAlloc(sizeof(InputWndData)));
  if (!d) {
    krnDestroyWindow(display, window);
    return nullptr;
  }
  iw::InitText(d, text, foreignKeys);
  krnSetOption(window, d);
  krnSetCustom(window, 1);
  krnSetRedrawBuffer(window, 1);
  krnAttachIM(window, nullptr);
  krnSetBackColor(display, window, g_korrin.setColors[KRN_SC_PAPER]);
  krnSetDefaultCursor(window, g_korrin.cursors[KRN_CURSOR_IBEAM]);
  if (!krnGetFocusWindow(window)) krnSetFocusWindow(window);
  return window;
}

int krnGetCaretPos_InputWnd(KrnWindow* window) {
  InputWndData* d = Data(window);
  return d ? d->caret : 0;
}

// Puts the caret at position (past the end or negative: the end).
int krnSetCaretPos_InputWnd(KrnWindow* window, int position) {
  InputWndData* d = Data(window);
  if (!d) return 0;
  iw::Field f = FieldOf(window, d);
  iw::SetCaretPos(f, position);
  krnSendEvent(window, KRN_EV_UPDATE);
  return 1;
}

char* krnGetText_InputWnd(KrnWindow* window) {
  InputWndData* d = Data(window);
  return d ? d->text : nullptr;
}

// Replaces the text; the new length, or -1 for 1024 bytes or more.
int krnSetText_InputWnd(KrnWindow* window, const char* string) {
  InputWndData* d = Data(window);
  if (!d) return -1;
  iw::Field f = FieldOf(window, d);
  int length = iw::SetText(f, string);
  if (length >= 0) krnSendEvent(window, KRN_EV_REDRAW);
  return length;
}

char* krnGetSelectText_InputWnd(KrnWindow* window) {
  InputWndData* d = Data(window);
  return d ? d->selectText : nullptr;
}

// Selects start to end (end negative or past the text: to the end); 0 for a
// negative start or one above end.
int krnSetSelectText_InputWnd(KrnWindow* window, int start, int end) {
  InputWndData* d = Data(window);
  if (!d) return 0;
  iw::Field f = FieldOf(window, d);
  if (!iw::SetSelectRange(f, start, end)) return 0;
  OwnPrimary(d);
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

// Inserts string at the caret; the new length, or -1 when it does not fit.
int krnAddText_InputWnd(KrnWindow* window, const char* string) {
  InputWndData* d = Data(window);
  if (!d) return -1;
  iw::Field f = FieldOf(window, d);
  bool bell = false;
  int length = iw::AddText(f, string, &bell);
  if (bell) krnBell();
  if (length >= 0) krnSendEvent(window, KRN_EV_REDRAW);
  return length;
}

int krnDelSelectText_InputWnd(KrnWindow* window) {
  InputWndData* d = Data(window);
  if (!d) return 0;
  iw::Field f = FieldOf(window, d);
  iw::DelSelectText(f);
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

// Copies the selection into the copy buffer (none without a selection).
int krnCopyText_InputWnd(KrnWindow* window) {
  InputWndData* d = Data(window);
  if (!d || !iw::Copy(d)) return 0;
  if (d->copyText) krnSetSelectionText(KRN_SEL_CLIPBOARD, d->copyText, -1, 0);
  return 1;
}

int krnCutText_InputWnd(KrnWindow* window) {
  InputWndData* d = Data(window);
  if (!d) return 0;
  if (d->selectLen == 0) return 1;
  int copied = krnCopyText_InputWnd(window);
  krnDelSelectText_InputWnd(window);
  return copied;
}

// Inserts string, or the copy buffer for null (nothing when it is empty).
int krnPasteText_InputWnd(KrnWindow* window, const char* string) {
  InputWndData* d = Data(window);
  if (!d) return 0;
  if (string) {
    krnAddText_InputWnd(window, string);
    return 1;
  }
  // The clipboard's text: our own kept text when we own it, else the
  // owner's answer, during which the field may have gone.
  char* pasted = textentry::PasteText(KRN_SEL_CLIPBOARD, d->copyText);
  if (pasted && CheckKrnPointer(window)) krnAddText_InputWnd(window, pasted);
  free(pasted);
  return 1;
}

char* krnGetCopyText_InputWnd(KrnWindow* window) {
  InputWndData* d = Data(window);
  return d ? d->copyText : nullptr;
}
