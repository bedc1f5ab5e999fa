// msgdlg.cpp - the message dialog (kind 100): krnMessageDialog builds a
// small top-level window with the message in a text window, an optional
// stock icon and OK and/or Cancel buttons, runs its own modal loop until it
// is answered (other windows keep repainting, their input is dropped by the
// modal filter), destroys it and returns 110 or 120.  Layout rules are in
// msgdlg_layout.cpp.
#include <string.h>

#include <X11/keysym.h>

#include "core/korrin_internal.h"
#include "dialogs/msgdlg_layout.h"
#include "dialogs/ownloop.h"
#include "support/xmeasure.h"

namespace {

const char kOkCaption[] = " O K ";
const char kCancelCaption[] = "Cancel";
const char kTextName[] = "_krnText_MsgDlg";

// The dialog's private record (the window's option).
struct MsgDlgData {
  int style;  // the style word: buttons in the low nibble, icon kind in bits 4-7
};

// Icon kinds of the style word and the stock images they show.
struct IconKind {
  int kind;
  int slot;
};
constexpr IconKind kIcons[] = {{KRN_MB_QUESTION, KRN_IMG_QUESTION},
                               {KRN_MB_INFO, KRN_IMG_INFO},
                               {KRN_MB_ATTENTION, KRN_IMG_ATTENTION},
                               {KRN_MB_WARNING, KRN_IMG_WARNING},
                               {KRN_MB_ERROR, KRN_IMG_ERROR}};

KrnImage* IconOf(int style) {
  for (const IconKind& k : kIcons)
    if (k.kind == (style & 0xF0)) return g_korrin.images[k.slot];
  return nullptr;
}

MsgDlgData* Data(KrnWindow* window) {
  if (!window || window->windowKind != KRN_KIND_MSGDLG) return nullptr;
  return static_cast<MsgDlgData*>(window->option);
}

KrnRect RectOf(const msgdlg::Box& b) {
  return krnSetRect(b.x, b.y, b.width, b.height);
}

// Clear the buffer, the icon at the bottom left, then to the screen.
void Draw(Display* display, KrnWindow* dialog, const MsgDlgData* d) {
  krnClearWindow(display, dialog, 1);
  if (KrnImage* icon = IconOf(d->style))
    krnDrawImage(display, krnGetDraw(dialog), 10, msgdlg::IconY(dialog->rect.height), icon, 0, 0,
                 icon->width, icon->height);
  krnRedrawWindow(display, dialog);
}

KrnWindow* ButtonNamed(KrnWindow* dialog, const char* caption) {
  for (KrnWindow** c = dialog->children; c && *c; c++)
    if ((*c)->windowKind == KRN_KIND_BUTTON && (*c)->name && strcmp((*c)->name, caption) == 0)
      return *c;
  return nullptr;
}

KrnWindow* TextWindow(KrnWindow* dialog) {
  for (KrnWindow** c = dialog->children; c && *c; c++)
    if ((*c)->windowKind == KRN_KIND_TEXTWND) return *c;
  return nullptr;
}

void PlaceButton(KrnWindow* button, int x, int y) {
  if (button && x >= 0)
    krnMoveResizeWindow(button, krnSetRect(x, y, msgdlg::kButtonWidth, msgdlg::kButtonHeight));
}

// Lays the children out again for the dialog's new size.
void Relayout(KrnWindow* dialog, const MsgDlgData* d) {
  msgdlg::Layout l = msgdlg::LayoutOf(d->style, dialog->rect.width, dialog->rect.height);
  if (KrnWindow* text = TextWindow(dialog)) krnMoveResizeWindow(text, RectOf(l.text));
  PlaceButton(ButtonNamed(dialog, kOkCaption), l.okX, l.buttonY);
  PlaceButton(ButtonNamed(dialog, kCancelCaption), l.cancelX, l.buttonY);
}

// The dialog's window and its children.
struct Parts {
  KrnWindow* dialog = nullptr;
  KrnWindow* text = nullptr;
  KrnWindow* ok = nullptr;
  KrnWindow* cancel = nullptr;
};

KrnWindow* CreateWindow_MsgDlg(Display* display, KrnWindow* parent, KrnRect rect, const char* title,
                               int style);

// The dialog's size for a message: every line shown, with the session's
// fonts, within the screen.
msgdlg::Size SizeFor(const char* message) {
  krnx::FontPair fonts{g_korrin.font, g_korrin.fontKanji ? g_korrin.fontKanji : g_korrin.font};
  if (!fonts.single) return msgdlg::Size{msgdlg::kWidth, msgdlg::kHeight};
  charcode::CharMeter meter{krnx::SingleWidth, krnx::PairWidth, &fonts};
  int maxWidth =
      g_korrin.screenWidth < msgdlg::kFitWidth ? g_korrin.screenWidth : msgdlg::kFitWidth;
  return msgdlg::FitSize(message, meter, krnGetCharHeight(nullptr), maxWidth,
                         g_korrin.screenHeight);
}

bool Build(Display* display, KrnWindow* parent, const char* title, const char* message, int style,
           Parts* p) {
  msgdlg::Size size = SizeFor(message);
  p->dialog = CreateWindow_MsgDlg(display, nullptr, krnSetRect(50, 50, size.width, size.height),
                                  title, style);
  if (!p->dialog) return false;
  krnSetMinMaxSize(p->dialog, msgdlg::kWidth, msgdlg::kHeight, g_korrin.screenWidth,
                   g_korrin.screenHeight);
  msgdlg::Layout l = msgdlg::LayoutOf(style, size.width, size.height);
  const char* text = message ? message : "";
  p->text = krnCreateWindow_TextWnd(display, p->dialog, RectOf(l.text), kTextName, text,
                                    static_cast<int>(strlen(text)));
  KrnRect button = krnSetRect(0, l.buttonY, msgdlg::kButtonWidth, msgdlg::kButtonHeight);
  if (l.okX >= 0) {
    button.x = static_cast<short>(l.okX);
    p->ok = krnCreateWindow_Button(display, p->dialog, button, kOkCaption, nullptr, nullptr);
  }
  if (l.cancelX >= 0) {
    button.x = static_cast<short>(l.cancelX);
    p->cancel =
        krnCreateWindow_Button(display, p->dialog, button, kCancelCaption, nullptr, nullptr);
  }
  krnShowDialog(display, p->dialog, parent, nullptr);
  return true;
}

// The answer one event gives, or 0; every step runs and a later step's
// answer replaces an earlier one.  Space or Return answers OK (presses
// closer together than Interval count once); Escape means Cancel, or OK
// in a dialog without one, as its close does.
int Handle(Display* display, const Parts& p, dlg::KeyGate& keys, XEvent* event) {
  int answer = 0;
  if (dlg::Offer(display, p.dialog, event) == KRN_QUIT) answer = p.cancel ? KRN_CANCEL : KRN_OK;
  dlg::Offer(display, p.text, event);
  if (p.ok && dlg::Offer(display, p.ok, event) == KRN_OK) answer = KRN_OK;
  if (p.cancel && dlg::Offer(display, p.cancel, event) == KRN_OK) answer = KRN_CANCEL;
  KeySym key = dlg::AcceptedKey(keys, *event);
  if (key == XK_space || key == XK_Return) answer = KRN_OK;
  if (key == XK_Escape) answer = p.cancel ? KRN_CANCEL : KRN_OK;
  return answer;
}

int WndProc_MsgDlg(Display* display, KrnWindow* dialog, XEvent* event);

KrnWindow* CreateWindow_MsgDlg(Display* display, KrnWindow* parent, KrnRect rect, const char* title,
                               int style) {
  KrnWindow* dialog = krnCreateWindowEx(display, parent, rect, 1, title, WndProc_MsgDlg, 0);
  if (!dialog) return nullptr;
  MsgDlgData* d = static_cast<MsgDlgData*>(krnAlloc(sizeof(MsgDlgData)));
  if (!d) {
    krnDestroyWindow(display, dialog);
    return nullptr;
  }
  d->style = style;
  krnSetWindowKind(dialog, KRN_KIND_MSGDLG);
  krnSetOption(dialog, d);
  krnSetCustom(dialog, 1);
  krnSetRedrawBuffer(dialog, 1);
  return dialog;
}

int WndProc_MsgDlg(Display* display, KrnWindow* dialog, XEvent* event) {
  if (!dialog || !event || event->xany.window != dialog->win) return dialog ? dialog->result : 0;
  int result = krnWndProc_Default(display, dialog, event);
  MsgDlgData* d = Data(dialog);
  if (!d) return result;
  switch (event->type) {
    case DestroyNotify:
      if (event->xdestroywindow.window != dialog->win) result = 1;
      break;
    case MapNotify:
      if (event->xmap.window == dialog->win) Draw(display, dialog, d);
      break;
    case KRN_EV_REDRAW:
      Draw(display, dialog, d);
      break;
    case ConfigureNotify:
      if (event->xconfigure.window == dialog->win && dialog->resized) {
        Relayout(dialog, d);
        Draw(display, dialog, d);
      }
      break;
    default:
      break;
  }
  return result;
}

}  // namespace

// Shows the message and waits for the answer: 110 (OK, Return, Space) or
// 120 (Cancel).  A dialog that cannot be made answers as if it had been
// closed: 120 when it would have offered Cancel, else 110.
int krnMessageDialog(Display* display, KrnWindow* parent, const char* title, const char* message,
                     int style) {
  int closed = msgdlg::HasCancel(style) ? KRN_CANCEL : KRN_OK;
  if (!display) return closed;
  Parts p;
  if (!Build(display, parent, title, message, style, &p)) return closed;
  int answer = closed;  // what a dialog destroyed behind our back answers
  dlg::KeyGate keys;
  dlg::RunOwnLoop(display, p.dialog, [&](XEvent& event) {
    int a = Handle(display, p, keys, &event);
    if (a) answer = a;
    return a != 0;
  });
  krnCloseDialog(display, p.dialog, parent, nullptr);
  return answer;
}
