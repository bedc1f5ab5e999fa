// textbox.cpp - the text box (kind 20): a text window with a vertical
// scroll bar beside it, kept in step: the scroll bar's position is the text
// window's top line, its maximum the text height in pixels and its step the
// line height.  The box is custom and hands every event to both children.
#include <stdlib.h>
#include <string.h>

#include "core/korrin_internal.h"

namespace {

// The box's private record.
struct TextBoxData {
  int lineHeight;  // character height at creation: the scroll bar's step
};

TextBoxData* Data(KrnWindow* box) {
  if (!box || box->windowKind != KRN_KIND_TEXTBOX) return nullptr;
  return static_cast<TextBoxData*>(box->option);
}

KrnWindow* Child(KrnWindow* box, int index, int kind) {
  KrnWindow* child = krnGetChildWindowFromIndex(box, index);
  return child && child->windowKind == kind ? child : nullptr;
}

KrnWindow* TextOf(KrnWindow* box) {
  return Data(box) ? Child(box, 0, KRN_KIND_TEXTWND) : nullptr;
}

KrnWindow* ScrollOf(KrnWindow* box) {
  return Data(box) ? Child(box, 1, KRN_KIND_SCROLLBAR) : nullptr;
}

KrnRect TextRect(int width, int height) {
  int w = width - krnGetHeight_ScrollBar() - 5;
  return krnSetRect(0, 0, w > 0 ? w : 0, height);
}

KrnRect ScrollRect(int width, int height) {
  int s = krnGetHeight_ScrollBar();
  return krnSetRect(width - s, 0, s, height);
}

// Brings the scroll bar's range and position up to the text window's.
void FollowText(KrnWindow* box) {
  KrnWindow *text = TextOf(box), *scroll = ScrollOf(box);
  if (!text || !scroll) return;
  krnSetMax_ScrollBar(scroll, krnGetLines_TextWnd(text) * Data(box)->lineHeight);
  krnSetPos_ScrollBar(scroll, krnGetPos_TextWnd(text));
}

// The scroll bar's callback: a user move shows the new top line at once,
// also for moves made by auto-repeat, which no event of the box follows.
int OnScroll(KrnWindow* scroll, int code, long value, long) {
  if (code == KRN_SCROLLED) krnSetPos_TextWnd(TextOf(krnGetParentWindow(scroll)), (int)value);
  return 1;
}

void Layout(KrnWindow* box, int width, int height) {
  KrnRect t = TextRect(width, height), s = ScrollRect(width, height);
  Display* display = g_korrin.display;
  if (KrnWindow* text = TextOf(box))
    XMoveResizeWindow(display, text->win, t.x, t.y, t.width ? t.width : 1, t.height);
  if (KrnWindow* scroll = ScrollOf(box))
    XMoveResizeWindow(display, scroll->win, s.x, s.y, s.width, s.height);
}

}  // namespace

// The box's procedure: every event goes to the scroll bar and the text
// window; the box itself only lays them out.
int WndProc_TextBox(Display* display, KrnWindow* box, XEvent* event) {
  if (!Data(box) || !event) return box ? box->result : 0;
  int result = box->result;
  if (KrnWindow* scroll = ScrollOf(box)) {
    result = krnPassEvent(display, scroll, event, result);
    if (!CheckKrnPointer(box)) return result;
    if (result != ConfigureNotify && TextOf(box))
      krnSetPos_TextWnd(TextOf(box), krnGetPos_ScrollBar(scroll));
  }
  if (KrnWindow* text = TextOf(box)) {
    result = krnPassEvent(display, text, event, result);
    if (!CheckKrnPointer(box)) return result;
    if (event->type == ConfigureNotify && event->xany.window == text->win &&
        event->xconfigure.window == text->win)
      FollowText(box);
    if (krnGetWheelLines(event) && event->xany.window == text->win && ScrollOf(box))
      krnSetPos_ScrollBar(ScrollOf(box), krnGetPos_TextWnd(text));
  }
  if (event->xany.window != box->win) return result;
  box->result = result;
  result = krnWndProc_Default(display, box, event);
  if (event->type == ConfigureNotify && event->xconfigure.window == box->win)
    Layout(box, event->xconfigure.width, event->xconfigure.height);
  return result;
}

// Creates the box with its text window and scroll bar; null when any part
// cannot be made.
KrnWindow* krnCreateWindow_TextBox(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name, const char* text) {
  KrnWindow* box = krnCreateWindow(display, parent, rect, 0, name, WndProc_TextBox);
  if (!box) return nullptr;
  krnSetWindowKind(box, KRN_KIND_TEXTBOX);
  TextBoxData* d = static_cast<TextBoxData*>(krnAlloc(sizeof(TextBoxData)));
  if (!d) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  d->lineHeight = krnGetCharHeight(nullptr);
  krnSetOption(box, d);
  krnSetCustom(box, 1);
  krnSetRedrawBuffer(box, 1);
  int length = text ? static_cast<int>(strlen(text)) : 0;
  KrnWindow* tw = krnCreateWindow_TextWnd(display, box, TextRect(rect.width, rect.height),
                                          "_krnText_TextBox", text, length);
  if (!tw) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  krnSetHiDraw_TextWnd(tw, 1);
  KrnWindow* scroll = krnCreateWindow_VScrollBar(
      display, box, ScrollRect(rect.width, rect.height), "_krnScroll_TextBox", 0,
      krnGetLines_TextWnd(tw) * d->lineHeight, d->lineHeight, OnScroll);
  if (!scroll) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  return box;
}

int krnGetPos_TextBox(KrnWindow* box) {
  return krnGetPos_TextWnd(TextOf(box));
}

// Shows line at the top of the text and moves the scroll bar with it; a
// line past the last page shows the last page, as the scroll bar allows.
int krnSetPos_TextBox(KrnWindow* box, int line) {
  KrnWindow *text = TextOf(box), *scroll = ScrollOf(box);
  if (!krnSetPos_TextWnd(text, line)) return 0;
  if (scroll && krnSetPos_ScrollBar(scroll, line))
    krnSetPos_TextWnd(text, krnGetPos_ScrollBar(scroll));
  return 1;
}

char* krnGetText_TextBox(KrnWindow* box) {
  return krnGetText_TextWnd(TextOf(box));
}

// Replaces the text (a terminated string); the new line count, or -1.
int krnSetText_TextBox(KrnWindow* box, const char* text) {
  KrnWindow* tw = TextOf(box);
  if (!tw) return -1;
  int n = krnSetText_TextWnd(tw, text, text ? static_cast<int>(strlen(text)) : 0);
  if (n >= 0 && CheckKrnPointer(box)) FollowText(box);
  return n;
}

int krnGetLines_TextBox(KrnWindow* box) {
  return krnGetLines_TextWnd(TextOf(box));
}

int krnSetOutLine_TextBox(KrnWindow* box, int on) {
  return krnSetOutLine_TextWnd(TextOf(box), on);
}

// Fast scrolling off gives the text window the session's wallpaper back.
int krnSetHiDraw_TextBox(KrnWindow* box, int on) {
  KrnWindow* tw = TextOf(box);
  if (!krnSetHiDraw_TextWnd(tw, on)) return 0;
  if (!on) krnSetWallPaper(g_korrin.display, tw, g_korrin.wallImage);
  return 1;
}

int krnSetFrame_TextBox(KrnWindow* box, int style) {
  return krnSetFrame_TextWnd(TextOf(box), style);
}

KrnWindow* krnGetAttachTextWnd_TextBox(KrnWindow* box) {
  return TextOf(box);
}
