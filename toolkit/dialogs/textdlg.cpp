// textdlg.cpp - the text dialog: a long text in a scrolling text box with
// one OK button, in a modal window that runs its own loop.  The dialog
// remembers where it was and how large it was when it closed and reopens
// there; the first time it opens 600 x 400, centred on its owner.
#include "core/korrin_internal.h"
#include "dialogs/dialog_model.h"
#include "dialogs/ownloop.h"

namespace {

constexpr const char* kTextName = "_krnText_TextDlg";
constexpr const char* kOkCaption = " O K ";

// The dialog's place and size when it last closed, for the whole process.
dlg::Box g_rcTextDlg = dlg::kTextDlgFirst;

KrnRect RectOf(const dlg::Box& b) {
  return krnSetRect(b.x, b.y, b.width > 0 ? b.width : 1, b.height > 0 ? b.height : 1);
}

// The dialog has no content of its own: an empty buffer, copied out.
void Draw(Display* display, KrnWindow* dialog) {
  krnClearWindow(display, dialog, 1);
  krnRedrawWindow(display, dialog);
}

// Keeps the text box 5 pixels inside the edges and the button centred
// 25 pixels above the bottom.
void Layout(KrnWindow* dialog) {
  int w = dialog->rect.width, h = dialog->rect.height;
  for (int i = 0; KrnWindow* child = krnGetChildWindowFromIndex(dialog, i); i++) {
    if (child->windowKind == KRN_KIND_TEXTBOX)
      krnMoveResizeWindow(child, RectOf(dlg::TextDlgBox(w, h)));
    else if (child->windowKind == KRN_KIND_BUTTON)
      krnMoveResizeWindow(child, RectOf(dlg::TextDlgOk(w, h)));
  }
}

// The single-letter keys: space, Return and Escape close, f/j/Down and d/k/Up move
// the text one line (the same home-row keys for either hand).
bool OnKey(KrnWindow* box, KeySym key) {
  int pos = krnGetPos_TextBox(box);
  switch (key) {
    case XK_space:
    case XK_Return:
    case XK_Escape:
      return true;
    case XK_f:
    case XK_j:
    case XK_Down:
      pos = dlg::TextDlgLineDown(pos, krnGetLines_TextBox(box), box->rect.height,
                                 krnGetCharHeight(nullptr));
      break;
    case XK_d:
    case XK_k:
    case XK_Up:
      pos = dlg::TextDlgLineUp(pos);
      break;
    default:
      return false;
  }
  if (pos != krnGetPos_TextBox(box)) krnSetPos_TextBox(box, pos);
  return false;
}

// Shows the dialog where it closed last time, or centred on the owner the
// first time.
void Place(Display* display, KrnWindow* owner, KrnWindow* dialog) {
  KrnRect last = RectOf(g_rcTextDlg);
  krnShowDialog(display, dialog, owner, dlg::TextDlgShown(g_rcTextDlg) ? &last : nullptr);
}

}  // namespace

KrnWindow* CreateWindow_TextDlg(Display* display, KrnWindow* parent, KrnRect rect,
                                const char* title) {
  KrnWindow* dialog = krnCreateWindowEx(display, parent, rect, 1, title, WndProc_TextDlg, 0);
  if (!dialog) return nullptr;
  krnSetCustom(dialog, 1);
  krnSetRedrawBuffer(dialog, 1);
  krnSetMinMaxSize(dialog, dlg::kTextDlgMinWidth, dlg::kTextDlgMinHeight, 2 * g_korrin.screenWidth,
                   2 * g_korrin.screenHeight);
  return dialog;
}

// The dialog's procedure: the default work for its own events, its layout
// after a resize, and the window manager's close request (130) passed on.
int WndProc_TextDlg(Display* display, KrnWindow* window, XEvent* event) {
  if (!window || !event) return 0;
  if (event->xany.window != window->win) return window->result;
  int result = krnWndProc_Default(display, window, event);
  switch (event->type) {
    case DestroyNotify:
      return event->xdestroywindow.window == window->win ? result : 1;
    case MapNotify:
    case KRN_EV_REDRAW:
      Draw(display, window);
      break;
    case ConfigureNotify:
      if (event->xconfigure.window == window->win && krnIsWindowResized(window)) {
        Layout(window);
        Draw(display, window);
      }
      break;
  }
  return result;
}

// Shows text in the dialog until OK, Return, space or the window manager's
// close; always answers KRN_OK.
int krnTextDialog(Display* display, KrnWindow* owner, const char* title, const char* text) {
  if (!display) return KRN_OK;
  const dlg::Box first = {0, 0, dlg::kTextDlgFirst.width, dlg::kTextDlgFirst.height};
  KrnWindow* dialog = CreateWindow_TextDlg(display, nullptr, RectOf(first), title ? title : "");
  if (!dialog) return KRN_OK;
  KrnWindow* box = krnCreateWindow_TextBox(display, dialog, RectOf(dlg::TextDlgBox(600, 400)),
                                           kTextName, text ? text : "");
  KrnWindow* ok = krnCreateWindow_Button(display, dialog, RectOf(dlg::TextDlgOk(600, 400)),
                                         kOkCaption, nullptr, nullptr);
  Place(display, owner, dialog);
  dlg::KeyGate gate;
  dlg::RunOwnLoop(display, dialog, [&](XEvent& event) {
    if (dlg::Offer(display, dialog, &event) == KRN_QUIT) return true;
    if (dlg::Offer(display, ok, &event) == KRN_OK) return true;
    dlg::Offer(display, box, &event);
    KeySym key = dlg::AcceptedKey(gate, event);
    return key != NoSymbol && box && OnKey(box, key);
  });
  if (CheckKrnPointer(dialog)) {
    KrnRect place;
    krnCloseDialog(display, dialog, owner, &place);
    g_rcTextDlg = {place.x, place.y, place.width, place.height};
  } else {
    krnCloseDialog(display, nullptr, owner, nullptr);
  }
  return KRN_OK;
}
