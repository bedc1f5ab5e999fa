// inputbox.cpp - the input box (kind 120): the multi-line editor with a
// vertical scroll bar on its right, kept in step both ways (the scroll
// bar's position is the editor's top line, its maximum the text height in
// pixels, its step the line height), behind operations that forward to the
// editor.  The box is custom: its procedure hands events to both children.
#include "core/korrin_internal.h"

namespace {

constexpr int kMinSide = 64;   // the children are laid out for at least 64 x 64
constexpr int kEditorGap = 1;  // background column between editor and scroll bar

// The box's private record.
struct InputBoxData {
  int lineHeight;  // character height at creation: the scroll bar's step
  int scrollMax;   // maximum last handed to the scroll bar
  int lastTop;     // editor top line last handed to the scroll bar
};

InputBoxData* Data(KrnWindow* box) {
  if (!box || box->windowKind != KRN_KIND_INPUTBOX) return nullptr;
  return static_cast<InputBoxData*>(box->option);
}

KrnWindow* Child(KrnWindow* box, int index, int kind) {
  KrnWindow* child = Data(box) ? krnGetChildWindowFromIndex(box, index) : nullptr;
  return child && child->windowKind == kind ? child : nullptr;
}

KrnWindow* EditorOf(KrnWindow* box) {
  return Child(box, 0, KRN_KIND_INPUTMLTWND);
}

KrnWindow* ScrollOf(KrnWindow* box) {
  return Child(box, 1, KRN_KIND_SCROLLBAR);
}

KrnRect EditorRect(int width, int height) {
  int w = width - krnGetHeight_ScrollBar() - kEditorGap;
  return krnSetRect(0, 0, w > 0 ? w : 1, height);
}

KrnRect ScrollRect(int width, int height) {
  int s = krnGetHeight_ScrollBar();
  return krnSetRect(width - s, 0, s, height);
}

// The editor's callback: after every edit, caret move or resize the scroll
// bar takes the text height and the editor's top line.
int OnInput(KrnWindow* editor, int, long, long) {
  KrnWindow* box = krnGetParentWindow(editor);
  InputBoxData* d = Data(box);
  KrnWindow* scroll = ScrollOf(box);
  if (!d || !scroll) return 1;
  d->scrollMax = krnGetLines_InputMltWnd(editor) * d->lineHeight + 2;
  krnSetMax_ScrollBar(scroll, d->scrollMax);
  int top = krnGetPos_InputMltWnd(editor);
  if (top != d->lastTop || top != krnGetPos_ScrollBar(scroll)) {
    d->lastTop = top;
    krnSetPos_ScrollBar(scroll, top);
  }
  return 1;
}

// The scroll bar's callback: only a user move reaches the editor, so a
// position set from OnInput does not come back.
int OnScroll(KrnWindow* scroll, int code, long value, long) {
  if (code == KRN_SCROLLED)
    krnSetPos_InputMltWnd(EditorOf(krnGetParentWindow(scroll)), static_cast<int>(value));
  return 1;
}

// The box's context menu opens over the text too.
void ShareContextMenu(KrnWindow* box, KrnWindow* editor) {
  if (!box->contextMenu)
    editor->contextMenu = nullptr;
  else if (!editor->contextMenu)
    editor->contextMenu = box->contextMenu;
}

void Layout(Display* display, KrnWindow* box, int width, int height) {
  width = width < kMinSide ? kMinSide : width;
  height = height < kMinSide ? kMinSide : height;
  KrnRect e = EditorRect(width, height), s = ScrollRect(width, height);
  if (KrnWindow* editor = EditorOf(box))
    XMoveResizeWindow(display, editor->win, e.x, e.y, e.width, e.height);
  if (KrnWindow* scroll = ScrollOf(box))
    XMoveResizeWindow(display, scroll->win, s.x, s.y, s.width, s.height);
}

}  // namespace

// The box's procedure: events of the scroll bar go to it, every event goes
// to the editor (which keeps what concerns it), and the box's own resize
// lays the two out again.  The box draws nothing itself.
int WndProc_InputBox(Display* display, KrnWindow* box, XEvent* event) {
  if (!Data(box) || !event) return box ? box->result : 0;
  int result = box->result;
  KrnWindow *editor = EditorOf(box), *scroll = ScrollOf(box);
  if (editor) ShareContextMenu(box, editor);
  if (scroll && event->xany.window == scroll->win) {
    result = krnPassEvent(display, scroll, event, result);
    if (!CheckKrnPointer(box)) return result;
  }
  if ((editor = EditorOf(box))) {
    result = krnPassEvent(display, editor, event, result);
    if (!CheckKrnPointer(box)) return result;
    int lines = krnGetWheelLines(event);
    if (lines && event->xany.window == editor->win && (scroll = ScrollOf(box))) {
      krnSetPos_ScrollBar(scroll, krnGetPos_ScrollBar(scroll) + lines);
      krnSetPos_InputMltWnd(editor, krnGetPos_ScrollBar(scroll));
    }
  }
  if (event->xany.window != box->win) return result;
  box->result = result;
  result = krnWndProc_Default(display, box, event);
  if (event->type == ConfigureNotify && event->xconfigure.window == box->win)
    Layout(display, box, event->xconfigure.width, event->xconfigure.height);
  return result;
}

// Creates the box with its editor (size bytes of text) and scroll bar;
// null when any part cannot be made.
KrnWindow* krnCreateWindow_InputBox(Display* display, KrnWindow* parent, KrnRect rect,
                                    const char* name, const char* text, int size, int foreignKeys) {
  KrnWindow* box = krnCreateWindow(display, parent, rect, 0, name, WndProc_InputBox);
  if (!box) return nullptr;
  krnSetWindowKind(box, KRN_KIND_INPUTBOX);
  InputBoxData* d = static_cast<InputBoxData*>(krnAlloc(sizeof(InputBoxData)));
  if (!d) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  *d = InputBoxData{krnGetCharHeight(nullptr), 0, 0};
  krnSetOption(box, d);
  krnSetCustom(box, 1);
  krnSetRedrawBuffer(box, 1);
  KrnWindow* editor =
      krnCreateWindow_InputMltWnd(display, box, EditorRect(rect.width, rect.height),
                                  "krnInputMltWnd_InputBox", text, size, foreignKeys);
  if (!editor) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  krnSetHiDraw_InputMltWnd(editor, 1);
  krnSetEventCallback_InputMltWnd(editor, OnInput);
  // A box made with its text can be scrolled before the first key.
  KrnWindow* scroll = krnCreateWindow_VScrollBar(
      display, box, ScrollRect(rect.width, rect.height), "krnScroll_InputBox", 0,
      krnGetLines_InputMltWnd(editor) * d->lineHeight, d->lineHeight, OnScroll);
  if (!scroll) {
    krnDestroyWindow(display, box);
    return nullptr;
  }
  return box;
}

int krnGetCaretPos_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetCaretPos_InputMltWnd(e) : 0;
}

int krnSetCaretPos_InputBox(KrnWindow* box, int position) {
  KrnWindow* e = EditorOf(box);
  return e ? krnSetCaretPos_InputMltWnd(e, position) : 0;
}

int krnGetLength_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetLength_InputMltWnd(e) : 0;
}

char* krnGetText_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetText_InputMltWnd(e) : nullptr;
}

// Replaces the text and shows it from the top, the scroll bar at 0 over
// the new text's height; the editor's answer (the new length, or -1 when
// the old text stays, and then the scroll bar stays with it).
int krnSetText_InputBox(KrnWindow* box, const char* data, int size) {
  KrnWindow* e = EditorOf(box);
  if (!e) return 0;
  int length = krnSetText_InputMltWnd(e, data, size);
  KrnWindow* scroll = ScrollOf(box);
  if (length < 0 || !scroll) return length;
  krnSetMax_ScrollBar(scroll, krnGetLines_InputMltWnd(e) * Data(box)->lineHeight);
  krnSetPos_ScrollBar(scroll, 0);
  Data(box)->lastTop = krnGetPos_InputMltWnd(e);
  return length;
}

int krnAddText_InputBox(KrnWindow* box, const char* string) {
  KrnWindow* e = EditorOf(box);
  return e ? krnAddText_InputMltWnd(e, string) : -1;
}

char* krnGetSelectText_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetSelectText_InputMltWnd(e) : nullptr;
}

int krnSetSelectText_InputBox(KrnWindow* box, int start, int end) {
  KrnWindow* e = EditorOf(box);
  return e ? krnSetSelectText_InputMltWnd(e, start, end) : 0;
}

int krnDelSelectText_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnDelSelectText_InputMltWnd(e) : 0;
}

int krnCopyText_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnCopyText_InputMltWnd(e) : 0;
}

int krnCutText_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnCutText_InputMltWnd(e) : 0;
}

int krnPasteText_InputBox(KrnWindow* box, const char* string) {
  KrnWindow* e = EditorOf(box);
  return e ? krnPasteText_InputMltWnd(e, string) : 0;
}

char* krnGetCopyText_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetCopyText_InputMltWnd(e) : nullptr;
}

int krnGetPos_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetPos_InputMltWnd(e) : 0;
}

// Shows line at the top; the editor's report moves the scroll bar along.
int krnSetPos_InputBox(KrnWindow* box, int line) {
  KrnWindow* e = EditorOf(box);
  return e ? krnSetPos_InputMltWnd(e, line) : 0;
}

int krnGetLines_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetLines_InputMltWnd(e) : 0;
}

int krnGetLock_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetLock_InputMltWnd(e) : 0;
}

int krnSetLock_InputBox(KrnWindow* box, int flag) {
  KrnWindow* e = EditorOf(box);
  return e ? krnSetLock_InputMltWnd(e, flag) : 0;
}

int krnGetLinesOfPage_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnGetLinesOfPage_InputMltWnd(e) : 0;
}

// Replaces the box's own link to the editor: the scroll bar then no longer
// follows edits and caret moves.
int krnSetEventCallback_InputBox(KrnWindow* box, KrnEventCallback callback) {
  KrnWindow* e = EditorOf(box);
  return e ? krnSetEventCallback_InputMltWnd(e, callback) : 0;
}

int krnIsUpdate_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnIsUpdate_InputMltWnd(e) : 0;
}

int krnSetUpdateFlag_InputBox(KrnWindow* box, int flag) {
  KrnWindow* e = EditorOf(box);
  return e ? krnSetUpdateFlag_InputMltWnd(e, flag) : 0;
}

KrnWindow* krnGetAttachInputWnd_InputBox(KrnWindow* box) {
  return EditorOf(box);
}

// Undo, redo and search: the editor reports each change through its
// callback, so the scroll bar follows as after a key.
int krnUndo_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnUndo_InputMltWnd(e) : 0;
}

int krnRedo_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnRedo_InputMltWnd(e) : 0;
}

int krnCanUndo_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnCanUndo_InputMltWnd(e) : 0;
}

int krnCanRedo_InputBox(KrnWindow* box) {
  KrnWindow* e = EditorOf(box);
  return e ? krnCanRedo_InputMltWnd(e) : 0;
}

int krnFind_InputBox(KrnWindow* box, const char* text, int flags) {
  KrnWindow* e = EditorOf(box);
  return e ? krnFind_InputMltWnd(e, text, flags) : 0;
}

int krnReplace_InputBox(KrnWindow* box, const char* text, const char* with, int flags) {
  KrnWindow* e = EditorOf(box);
  return e ? krnReplace_InputMltWnd(e, text, with, flags) : 0;
}

int krnReplaceAll_InputBox(KrnWindow* box, const char* text, const char* with, int flags) {
  KrnWindow* e = EditorOf(box);
  return e ? krnReplaceAll_InputMltWnd(e, text, with, flags) : -1;
}
