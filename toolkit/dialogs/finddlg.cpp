// finddlg.cpp - the modeless find dialog: a field for the text, one for its
// replacement, Next, Previous, a "Match case" toggle, Replace, Replace all
// and Close, acting on a multi-line editor or an input box.  Unlike the
// modal dialogs it runs no loop of its own: it is a top-level window served
// by the application's loop (which must then run over all top-level
// windows), and it tells its owner what each search found through a
// callback.  The last search outlives the dialog for "find again".
#include <string.h>

#include <string>

#include "core/korrin_internal.h"

namespace {

constexpr const char* kTitle = "Find";
constexpr int kWidth = 400;
constexpr int kHeight = 108;
constexpr int kFieldX = 100, kFieldWidth = 190, kRowHeight = 24;
constexpr int kButtonX = 300, kButtonWidth = 90;
constexpr int kRow1 = 8, kRow2 = 40, kRow3 = 76;

// The dialog's private record.
struct FindDlgData {
  KrnWindow* target;          // the editor or input box searched
  KrnEventCallback callback;  // told KRN_SEARCHED and KRN_REPLACED
  KrnWindow* find;            // the field for the text
  KrnWindow* with;            // the field for the replacement
  KrnWindow* matchCase;       // the "Match case" toggle
};

// The open dialog (one per process), and the last search made from it.
KrnWindow* g_dialog = nullptr;
std::string g_lastText;
int g_lastFlags = 0;

FindDlgData* Data(KrnWindow* dialog) {
  return dialog && CheckKrnPointer(dialog) ? static_cast<FindDlgData*>(dialog->option) : nullptr;
}

// The editor inside a target: an input box's editor, or the editor itself.
KrnWindow* EditorOf(KrnWindow* target) {
  if (!target || !CheckKrnPointer(target)) return nullptr;
  if (target->windowKind == KRN_KIND_INPUTBOX) return krnGetAttachInputWnd_InputBox(target);
  return target->windowKind == KRN_KIND_INPUTMLTWND ? target : nullptr;
}

int Report(KrnWindow* dialog, int code, int value) {
  FindDlgData* d = Data(dialog);
  if (d && d->callback) d->callback(dialog, code, value, 0);
  return 1;
}

// Takes the fields as the last search; false when the text is empty.
bool TakeSearch(FindDlgData* d) {
  g_lastText = krnGetText_InputWnd(d->find) ? krnGetText_InputWnd(d->find) : "";
  g_lastFlags = krnGetButton_Button(d->matchCase) ? KRN_FIND_MATCHCASE : 0;
  return !g_lastText.empty();
}

int Search(KrnWindow* dialog, int backward) {
  FindDlgData* d = Data(dialog);
  if (!d || !TakeSearch(d)) return 1;
  int found = krnFind_InputMltWnd(EditorOf(d->target), g_lastText.c_str(),
                                  g_lastFlags | (backward ? KRN_FIND_BACKWARD : 0));
  return Report(dialog, KRN_SEARCHED, found);
}

// For a replace button: the dialog's record with the search taken from its
// fields, and the editor to replace in; null (with the bell and a report of
// -1) while the text is locked or when there is nothing to search.
KrnWindow* ReplaceTarget(KrnWindow* dialog, FindDlgData** data) {
  FindDlgData* d = Data(dialog);
  *data = d;
  if (!d || !TakeSearch(d)) return nullptr;
  KrnWindow* editor = EditorOf(d->target);
  if (editor && !krnGetLock_InputMltWnd(editor)) return editor;
  krnBell();
  Report(dialog, KRN_REPLACED, -1);
  return nullptr;
}

int OnNext(KrnWindow* button, int, long, long) {
  return Search(krnGetParentWindow(button), 0);
}

int OnPrevious(KrnWindow* button, int, long, long) {
  return Search(krnGetParentWindow(button), 1);
}

// Replaces the selected match, then finds the next one.
int OnReplace(KrnWindow* button, int, long, long) {
  KrnWindow* dialog = krnGetParentWindow(button);
  FindDlgData* d = nullptr;
  KrnWindow* editor = ReplaceTarget(dialog, &d);
  if (!editor) return 1;
  krnReplace_InputMltWnd(editor, g_lastText.c_str(), krnGetText_InputWnd(d->with), g_lastFlags);
  return Search(dialog, 0);
}

int OnReplaceAll(KrnWindow* button, int, long, long) {
  KrnWindow* dialog = krnGetParentWindow(button);
  FindDlgData* d = nullptr;
  KrnWindow* editor = ReplaceTarget(dialog, &d);
  if (!editor) return 1;
  int count = krnReplaceAll_InputMltWnd(editor, g_lastText.c_str(), krnGetText_InputWnd(d->with),
                                        g_lastFlags);
  return Report(dialog, KRN_REPLACED, count);
}

int OnClose(KrnWindow* button, int, long, long) {
  krnCloseFindDialog(krnGetParentWindow(button));
  return 1;
}

void Draw(Display* display, KrnWindow* dialog) {
  krnClearWindow(display, dialog, 1);
  Pixmap buffer = krnGetDraw(dialog);
  int h = krnGetCharHeight(nullptr), dy = (kRowHeight - h) / 2;
  const char* labels[] = {"Find", "Replace with"};
  int rows[] = {kRow1, kRow2};
  for (int i = 0; i < 2; i++)
    krnDrawText(display, buffer, nullptr, nullptr, dialog->foreFontColor, KRN_TRANSPARENT, 10,
                rows[i] + dy, reinterpret_cast<const unsigned char*>(labels[i]));
  krnRedrawWindow(display, dialog);
}

void Focus(Display* display, KrnWindow* field) {
  if (field) krnSetFocusWindow(field);  // the dialog's keys go to this field
  XWindowAttributes a{};
  if (field && XGetWindowAttributes(display, field->win, &a) && a.map_state == IsViewable)
    XSetInputFocus(display, field->win, RevertToParent, CurrentTime);
}

// Keys in the fields: Return finds the next match (Shift+Return the one
// before), Tab goes to the other field, Escape closes.  True when the
// dialog was closed.
bool OnKey(Display* display, KrnWindow* dialog, FindDlgData* d, XEvent* event) {
  if (event->xkey.window != d->find->win && event->xkey.window != d->with->win) return false;
  KeySym sym = XLookupKeysym(&event->xkey, 0);
  if (sym == XK_Return || sym == XK_KP_Enter) {
    Search(dialog, (event->xkey.state & ShiftMask) ? 1 : 0);
  } else if (sym == XK_Tab) {
    Focus(display, event->xkey.window == d->find->win ? d->with : d->find);
  } else if (sym == XK_Escape) {
    krnCloseFindDialog(dialog);
    return true;
  }
  return false;
}

KrnWindow* AddButton(Display* display, KrnWindow* dialog, int x, int y, int width,
                     const char* caption, KrnEventCallback callback) {
  return krnCreateWindow_Button(display, dialog, krnSetRect(x, y, width, kRowHeight), caption,
                                nullptr, callback);
}

bool AddChildren(Display* display, KrnWindow* dialog, FindDlgData* d) {
  d->find = krnCreateWindow_InputWnd(display, dialog, krnSetRect(kFieldX, kRow1, kFieldWidth, 24),
                                     "_krnFind_FindDlg", g_lastText.c_str(), 0);
  d->with = krnCreateWindow_InputWnd(display, dialog, krnSetRect(kFieldX, kRow2, kFieldWidth, 24),
                                     "_krnWith_FindDlg", "", 0);
  d->matchCase = AddButton(display, dialog, 10, kRow3, 85, "Match case", nullptr);
  krnSetToggle_Button(d->matchCase, 1);
  krnSetButton_Button(d->matchCase, (g_lastFlags & KRN_FIND_MATCHCASE) ? 1 : 0);
  bool ok = d->find && d->with && d->matchCase;
  ok &= AddButton(display, dialog, kButtonX, kRow1, kButtonWidth, "Next", OnNext) != nullptr;
  ok &=
      AddButton(display, dialog, kButtonX, kRow2, kButtonWidth, "Previous", OnPrevious) != nullptr;
  ok &= AddButton(display, dialog, 105, kRow3, 80, "Replace", OnReplace) != nullptr;
  ok &= AddButton(display, dialog, 195, kRow3, 95, "Replace all", OnReplaceAll) != nullptr;
  ok &= AddButton(display, dialog, kButtonX, kRow3, kButtonWidth, "Close", OnClose) != nullptr;
  return ok;
}

}  // namespace

// The dialog's procedure: every event goes to its children (they keep
// what is theirs); a click in a field gives it the keyboard; the dialog's
// own map focuses the find field; the window manager's close closes the
// dialog without ending the application's loop.
int WndProc_FindDlg(Display* display, KrnWindow* dialog, XEvent* event) {
  FindDlgData* d = Data(dialog);
  if (!d || !event) return dialog ? dialog->result : 0;
  int result = dialog->result;
  for (int i = 0; KrnWindow* child = krnGetChildWindowFromIndex(dialog, i); i++) {
    result = krnPassEvent(display, child, event, result);
    if (!CheckKrnPointer(dialog)) return 1;
  }
  if (event->type == ButtonPress &&
      (event->xany.window == d->find->win || event->xany.window == d->with->win))
    Focus(display, krnGetWindowFromXWindow(event->xany.window));
  if (event->type == KeyPress && OnKey(display, dialog, d, event)) return 1;
  if (event->xany.window != dialog->win) return result;
  dialog->result = result;
  result = krnWndProc_Default(display, dialog, event);
  switch (event->type) {
    case MapNotify:
      Draw(display, dialog);
      Focus(display, d->find);
      break;
    case KRN_EV_REDRAW:
      Draw(display, dialog);
      break;
    case ClientMessage:
      if (result == KRN_QUIT) {
        krnCloseFindDialog(dialog);
        return 1;
      }
      break;
  }
  return result;
}

// Opens the find dialog over owner for target (an editor or an input box),
// or brings the open one up with its field focused; the callback hears
// KRN_SEARCHED with the search's result and KRN_REPLACED with the count
// (-1: the text is locked).  The dialog, or null when it cannot be made.
KrnWindow* krnFindDialog(Display* display, KrnWindow* owner, KrnWindow* target,
                         KrnEventCallback callback) {
  if (!display) return nullptr;
  if (FindDlgData* d = Data(g_dialog)) {
    d->target = target;
    d->callback = callback;
    krnShowWindow(g_dialog, 1);
    krnRaiseWindow(g_dialog);
    Focus(display, d->find);
    return g_dialog;
  }
  KrnWindow* dialog = krnCreateWindowEx(display, nullptr, krnSetRect(0, 0, kWidth, kHeight), 1,
                                        kTitle, WndProc_FindDlg, 0);
  if (!dialog) return nullptr;
  FindDlgData* d = static_cast<FindDlgData*>(krnAlloc(sizeof(FindDlgData)));
  if (!d) {
    krnDestroyWindow(display, dialog);
    return nullptr;
  }
  *d = FindDlgData{target, callback, nullptr, nullptr, nullptr};
  krnSetOption(dialog, d);
  krnSetCustom(dialog, 1);
  krnSetRedrawBuffer(dialog, 1);
  krnSetMinMaxSize(dialog, kWidth, kHeight, kWidth, kHeight);
  if (!AddChildren(display, dialog, d)) {
    krnDestroyWindow(display, dialog);
    return nullptr;
  }
  g_dialog = dialog;
  krnShowDialog(display, dialog, owner, nullptr);
  return dialog;
}

// Closes the find dialog, or with null whichever is open (the last search
// is kept).  1, or 0 for another window or none.
int krnCloseFindDialog(KrnWindow* dialog) {
  if (!dialog) dialog = g_dialog;
  if (!dialog || dialog != g_dialog || !Data(dialog)) return 0;
  g_dialog = nullptr;
  krnCloseDialog(g_korrin.display, dialog, Data(dialog)->target, nullptr);
  return 1;
}

// Repeats the last search from the dialog on target (flags: KRN_FIND_BACKWARD);
// the search's result, or -1 when nothing has been searched yet.
int krnFindAgain_FindDialog(KrnWindow* target, int flags) {
  if (g_lastText.empty()) return -1;
  return krnFind_InputMltWnd(EditorOf(target), g_lastText.c_str(),
                             g_lastFlags | (flags & KRN_FIND_BACKWARD));
}
